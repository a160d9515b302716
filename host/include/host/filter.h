#pragma once
// "TkGeneralFilter.FilterSrv": the host's general filter. The user builds conditions over a
// list's columns in a dialog, joins them with AND/OR, and may keep them as named definitions
// (per user and filter name, in tksystem's UA_Setting under the section "Filter:" + filter name).
// The confirmed conditions come back as one T-SQL condition in which every typed value is a
// literal: text quoted (LIKE patterns with %, _ and [ bracketed), numbers and dates checked and
// compared as numbers and dates.
#include <functional>
#include <string>
#include <vector>

#include "common/hosts/filter.h"

namespace host {

struct FilterColumn {
    std::string name, caption, expression;
    std::string type;  // "text", "number", "date" or "bool"
};

enum class FilterOp { Equals, NotEqual, Contains, BeginsWith, Greater, Less, Between, IsEmpty, IsNotEmpty };
inline constexpr int kFilterOpCount = 9;

struct FilterCondition {
    bool orWithPrevious = false;  // joined to the condition before it by OR (else AND)
    std::string column;           // FilterColumn::name
    FilterOp op = FilterOp::Equals;
    std::string value, value2;  // value2: the upper bound of Between
};

// Whether op applies to a column of type (contains and begins-with are for texts only).
bool FilterOpFits(FilterOp op, const std::string& type);

// The condition over columns, "" for no conditions. False, with problem in language, when a
// condition names an unknown column, an operator that does not fit it, or a value that is not a
// number or date where one is needed.
bool BuildFilterSql(const std::vector<FilterColumn>& columns, const std::vector<FilterCondition>& conditions,
                    const std::string& language, std::string& sql, std::string& problem);

// A definition as stored, and back (false for a text that is not one).
std::string FilterDefinitionText(const std::vector<FilterCondition>& conditions);
bool ParseFilterDefinition(const std::string& text, std::vector<FilterCondition>& conditions);

// What the dialog edits; the presenter answers true when the user confirmed.
struct FilterDialogRequest {
    std::string filterName, language, systemText, accountText, userId;
    std::vector<FilterColumn> columns;
    std::vector<FilterCondition> conditions;  // in: the last confirmed; out: the confirmed ones
};
using FilterPresenter = std::function<bool(FilterDialogRequest&)>;
// Process-wide; answers the presenter it replaced. By default the Qt dialog.
FilterPresenter SetFilterPresenter(FilterPresenter presenter);
bool ShowFilterDialog(FilterDialogRequest& request);

// Named definitions of a user (names sorted), in the system database of systemText.
std::vector<std::string> FilterDefinitionNames(const std::string& systemText, const std::string& userId,
                                               const std::string& filterName);
// Throws platform::Error for a blank or over-long name (60 characters).
void SaveFilterDefinition(const std::string& systemText, const std::string& userId, const std::string& filterName,
                          const std::string& name, const std::vector<FilterCondition>& conditions);
// False when there is none of that name or it cannot be read.
bool LoadFilterDefinition(const std::string& systemText, const std::string& userId, const std::string& filterName,
                          const std::string& name, std::vector<FilterCondition>& conditions);
void DeleteFilterDefinition(const std::string& systemText, const std::string& userId, const std::string& filterName,
                            const std::string& name);

// The columns a filter over the contact list offers (the list's columns, selection column aside).
std::vector<FilterColumn> ContactListFilterColumns(const std::string& accountText, const std::string& userId);

class FilterService final : public sovrel::IFilterSrv {
public:
    bool OpenFilter(const std::shared_ptr<sovrel::ILogin>& login, const std::string& filterName,
                    const std::string& option1, const std::string& option2, std::string& message) override;
    std::string GetSQLWhere() override { return where_; }

private:
    std::string where_;
};

}  // namespace host
