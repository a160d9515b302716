#pragma once
// Record XML and condition XML: loading the texts the windows write, reading and changing a
// record's column elements, turning a condition element into a WHERE condition, and the small
// rowset helpers the readers share. Element names are expected in lower case (the data service
// normalises every tag before loading), so every lookup lower-cases the name it is given.
// A failing reader leaves its text in Ctx().PendingMessage and goes on.
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "platform/db/rowset.h"
#include "platform/db/value.h"
#include "service/iclscommon.h"

namespace sovrel {

// Trims text, wraps it as "<data>" + text + "</data>" unless it begins with "<data>" (any case),
// and loads it into doc. Fails (doc then empty) on text that is not well-formed, including
// anything beside the one document element, a repeated attribute and a comment holding "--";
// the offset counts bytes of the wrapped text. Comments are not kept. Any depth of nesting loads,
// and every reader below walks it without recursion.
pugi::xml_parse_result LoadXmlText(pugi::xml_document& doc, std::string_view text);

// Reads the five predefined entities of every text inside root once more. The write path's
// normaliser escapes every "&", entities a caller wrote included: without this a value escaped by
// its writer ("R&amp;D") would be stored as entity text, while a bare "&" reads the same either way.
void DecodeEscapedText(pugi::xml_node root);

// All text inside node in document order, nested markup included (a text node's own value).
std::string ElementText(pugi::xml_node node);

// The name of the first child element of record that an earlier child element already has; ""
// when every child element's name is its own.
std::string RepeatedChildName(pugi::xml_node record);

// The whole text (ElementText) of element's first child element named LCase(name); defaultValue
// when element is empty or name is "", and when there is no such child (then PendingMessage =
// XMLMSG002(name)).
std::string GetEleVal(pugi::xml_node element, std::string_view name, std::string_view defaultValue);

// Replaces the content of element's first child element named LCase(name) with value. False when
// element is empty or name is "", and when there is no such child (nothing is added; then
// PendingMessage = XMLMSG001(name)).
bool SetEleVal(pugi::xml_node element, std::string_view name, std::string_view value);

// The value of node's attribute named LCase(attrName) without leading and trailing spaces; ""
// when node is empty or has no such attribute.
std::string GetAttrVal(pugi::xml_node node, std::string_view attrName);

// where = the condition of element's children ("v", ",v", "v,", "a,b" per column, joined by
// AND; blank children skipped), values as N'...' with quotes doubled unless rowset types the
// column as a number or bytes. True also for no condition at all; false when element is empty,
// a non-blank child is no field of rowset (or rowset is nothing), or a value of a number or
// bytes column is no number or "0x" byte string: where then keeps what had been built.
bool BuildWhereFromXml(pugi::xml_node element, std::string& where, const RowsetPtr& rowset);

// True for "" and for a date text from 1760-01-01 up to (not including) 2300-01-01; otherwise
// false with PendingMessage = CheckDate01 (no date), CheckDate11 (too early) or CheckDate12 (too
// late), each with itemName.
bool CheckDateText(std::string_view value, std::string_view itemName);

// defaultValue when value is Null, otherwise value (Empty is not Null).
platform::db::Value NullTo(const platform::db::Value& value, const platform::db::Value& defaultValue);

// Text safe inside an element or an attribute value in single or double quotes.
std::string XmlEscaped(std::string_view value);

// Sets rowset's filter to filter and returns the same rowset, on its first visible row. Throws
// platform::Error when rowset is nothing or the layer does not understand the filter.
RowsetPtr FilterRs(const RowsetPtr& rowset, const std::string& filter);

// The caption (TableDefine of Rpt_GRPDef) of table tableName; the fallback text
// Hx.CRM.TkBaseCodeRefer.transxml.00009 when it is Null; "" on any failure, such as an unknown
// table or a query that fails.
std::string GetArchiveCaption(IClsCommon& service, const platform::db::Value& tableName);

// The host's column-authority string, lower-cased, for the user in request's "userid" child,
// business object busObId and the function in its "rw" child; "" on any failure.
std::string GetColAuthString(IClsCommon& service, pugi::xml_node request, const std::string& busObId);

}  // namespace sovrel
