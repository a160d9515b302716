#pragma once
// The host's print control ("PrintControl"): prints, previews and exports a data text laid out by
// a style text. Both texts are produced and kept by the public-utility object (IPubUtilPrint).
#include <functional>
#include <string>

#include "common/form.h"
#include "platform/object_factory.h"

namespace sovrel {

class IPrintControl : public platform::Object {
public:
    // Shows or hides the control on its window (the list hides it before each use).
    virtual void SetVisible(bool visible) = 0;
    // Loads the data text and the style text (styleName picks the style inside it, "Default").
    // Answers 0 when both were taken, another number when either could not be read; the list
    // passes reserved1 and reserved2 false.
    virtual long SetDataStyleXML(const std::string& data, const std::string& style, bool reserved1, bool reserved2,
                                 const std::string& styleName) = 0;
    // The page setup dialog. Answers true when nothing changed (the user cancelled); false when
    // the user confirmed a new style, which the caller then carries away with TriggerEvent(0).
    virtual bool PageSetup() = 0;
    // Raises the control's event number eventId; 0 is the style event (OnStyleEvent).
    virtual void TriggerEvent(int eventId) = 0;
    // Prints the loaded data with the loaded style.
    virtual void DoPrint() = 0;
    // The window that owns the preview (the window the control sits on).
    virtual void SetOwner(IForm& owner) = 0;
    // Shows the print preview; returns when the preview is closed.
    virtual void PrintPreview() = 0;
    // Exports the loaded data. fileName and fileType "" let the user choose them; types and sizes
    // are comma lists, one entry per column (IPubUtilPrint::GetTypeSize). result receives the
    // outcome number that IPubUtilPrint::PrintMsg reports.
    virtual void ExportToFile(const std::string& fileName, const std::string& fileType, const std::string& types,
                              const std::string& sizes, long& result) = 0;
    // The style event: the current style text, handed over in two parts to be joined in order.
    virtual void OnStyleEvent(std::function<void(const std::string& first, const std::string& second)> handler) = 0;
};

}  // namespace sovrel
