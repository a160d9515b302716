#pragma once
// "TkPrint.PrintControl" on Qt Print Support: the page-setup dialog, the print dialog (the
// system's printers and a PDF file), the preview window and the export to XLSX, CSV or PDF.
#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

#include "common/hosts/print.h"
#include "host/export.h"

namespace host::print {

class PrintControl final : public sovrel::IPrintControl {
public:
    void SetVisible(bool visible) override { visible_ = visible; }
    bool Visible() const { return visible_; }
    // 0 taken; 1 the data text is not one; 2 the style text is not one ("" takes the default
    // style). Nothing changes unless both are taken.
    long SetDataStyleXML(const std::string& data, const std::string& style, bool reserved1, bool reserved2,
                         const std::string& styleName) override;
    // Answers false when the user confirmed a new style (it is now the control's, and the style
    // event should carry it away), true when the dialog was cancelled and nothing changed.
    bool PageSetup() override;
    void TriggerEvent(int eventId) override;
    void DoPrint() override;
    void SetOwner(sovrel::IForm& owner) override;
    void PrintPreview() override;
    // fileName "" asks the user with a save dialog; fileType "" takes the format from the chosen
    // filter or the name's extension. result: host::print::result numbers.
    void ExportToFile(const std::string& fileName, const std::string& fileType, const std::string& types,
                      const std::string& sizes, long& result) override;
    void OnStyleEvent(std::function<void(const std::string&, const std::string&)> handler) override {
        styleEvent_ = std::move(handler);
    }

    const Sheet& Data() const { return sheet_; }
    const PageStyle& Style() const { return style_; }
    // The printed pages' words in the login's language.
    static PageTexts Texts();
    // A dialog the control opens is handed here before it runs (tests answer it); nullptr runs it.
    std::function<int(QDialog&)> runDialog;

private:
    int Run(QDialog& dialog);
    // The save dialog: false when cancelled; filter receives the chosen filter's Format number.
    bool ChooseFile(std::string& path, int& filter);
    QWidget* Owner() const { return owner_.data(); }

    bool visible_ = true;
    bool loaded_ = false;
    Sheet sheet_;
    PageStyle style_;
    QPointer<QWidget> owner_;
    std::function<void(const std::string&, const std::string&)> styleEvent_;
};

// The default style for a sheet: every column shown at the width its size asks for.
PageStyle DefaultStyle(const Sheet& sheet);

}  // namespace host::print
