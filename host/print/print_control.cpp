#include "host/print_control.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "../session/support.h"
#include "host/session.h"
#include "platform/text.h"

namespace host::print {

namespace {

namespace txt = platform::text;

std::string Text(const std::string& key, const std::vector<std::string>& params = {}) {
    return detail::CurrentText(key, params);
}
QString QText(const std::string& key) { return QString::fromStdString(Text(key)); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

const char* const kPapers[] = {"A4", "A3", "A5", "B5", "Letter", "Legal"};

// The style's columns in the sheet's order: a stored column keeps its choices, a new one is
// shown, and a column the list no longer has is dropped.
void MatchColumns(PageStyle& style, const Sheet& sheet) {
    std::vector<PageStyle::ColumnStyle> matched;
    for (const auto& c : sheet.columns) {
        PageStyle::ColumnStyle cs{c.caption, true, 0};
        for (const auto& s : style.columns)
            if (s.caption == c.caption) cs = s;
        matched.push_back(cs);
    }
    style.columns = std::move(matched);
}

}  // namespace

PageStyle DefaultStyle(const Sheet& sheet) {
    PageStyle s;
    int chars = 0;
    for (const auto& c : sheet.columns) chars += std::clamp(std::max(c.size, DisplayWidth(c.caption)), 4, 40);
    // Wide lists go across the page.
    s.landscape = chars > 110;
    MatchColumns(s, sheet);
    return s;
}

PageTexts PrintControl::Texts() {
    return {Text("Hx.AA.PUB.Print.User"), Text("Hx.AA.PUB.Print.Year"), Text("Hx.AA.PUB.Print.Printed"),
            Text("Hx.AA.PUB.Print.PageOf")};
}

long PrintControl::SetDataStyleXML(const std::string& data, const std::string& style, bool, bool,
                                   const std::string& styleName) {
    auto sheet = ParseData(data);
    if (!sheet) return 1;
    PageStyle chosen;
    if (txt::Trim(style).empty()) {
        chosen = DefaultStyle(*sheet);
    } else {
        auto parsed = ParseStyle(style);
        if (!parsed) return 2;
        chosen = std::move(*parsed);
        MatchColumns(chosen, *sheet);
    }
    if (!styleName.empty()) chosen.name = styleName;
    sheet_ = std::move(*sheet);
    style_ = std::move(chosen);
    loaded_ = true;
    return 0;
}

int PrintControl::Run(QDialog& dialog) { return runDialog ? runDialog(dialog) : dialog.exec(); }

void PrintControl::SetOwner(sovrel::IForm& owner) { owner_ = dynamic_cast<QWidget*>(&owner); }

bool PrintControl::PageSetup() {
    QDialog dialog(Owner());
    dialog.setObjectName("frmPageSetup");
    dialog.setWindowTitle(QText("Hx.AA.PUB.Print.PageSetup"));
    auto* root = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    root->addLayout(form);

    auto* paper = new QComboBox(&dialog);
    paper->setObjectName("cboPaper");
    for (const char* p : kPapers) paper->addItem(p);
    paper->setCurrentIndex(std::max(0, paper->findText(Q(style_.paper), Qt::MatchFixedString)));
    form->addRow(QText("Hx.AA.PUB.Print.Paper"), paper);

    auto* orientation = new QWidget(&dialog);
    auto* ol = new QHBoxLayout(orientation);
    ol->setContentsMargins(0, 0, 0, 0);
    auto* portrait = new QRadioButton(QText("Hx.AA.PUB.Print.Portrait"), orientation);
    auto* landscape = new QRadioButton(QText("Hx.AA.PUB.Print.Landscape"), orientation);
    portrait->setObjectName("optPortrait");
    landscape->setObjectName("optLandscape");
    (style_.landscape ? landscape : portrait)->setChecked(true);
    ol->addWidget(portrait);
    ol->addWidget(landscape);
    form->addRow(QText("Hx.AA.PUB.Print.Orientation"), orientation);

    auto* margins = new QWidget(&dialog);
    auto* ml = new QHBoxLayout(margins);
    ml->setContentsMargins(0, 0, 0, 0);
    QDoubleSpinBox* box[4];
    const char* names[] = {"txtLeft", "txtTop", "txtRight", "txtBottom"};
    const char* keys[] = {"Hx.AA.PUB.Print.MarginLeft", "Hx.AA.PUB.Print.MarginTop", "Hx.AA.PUB.Print.MarginRight",
                          "Hx.AA.PUB.Print.MarginBottom"};
    const double values[] = {style_.marginLeft, style_.marginTop, style_.marginRight, style_.marginBottom};
    for (int i = 0; i < 4; ++i) {
        box[i] = new QDoubleSpinBox(margins);
        box[i]->setObjectName(names[i]);
        box[i]->setRange(0, 100);
        box[i]->setDecimals(1);
        box[i]->setValue(values[i]);
        box[i]->setPrefix(QText(keys[i]) + " ");
        ml->addWidget(box[i]);
    }
    form->addRow(QText("Hx.AA.PUB.Print.Margins"), margins);

    auto* header = new QLineEdit(Q(style_.headerText), &dialog);
    header->setObjectName("txtHeader");
    form->addRow(QText("Hx.AA.PUB.Print.Header"), header);
    auto* footer = new QLineEdit(Q(style_.footerText), &dialog);
    footer->setObjectName("txtFooter");
    form->addRow(QText("Hx.AA.PUB.Print.Footer"), footer);

    auto* fontRow = new QWidget(&dialog);
    auto* fl = new QHBoxLayout(fontRow);
    fl->setContentsMargins(0, 0, 0, 0);
    auto* family = new QFontComboBox(fontRow);
    family->setObjectName("cboFont");
    if (!style_.fontFamily.empty()) family->setCurrentFont(QFont(Q(style_.fontFamily)));
    auto* size = new QDoubleSpinBox(fontRow);
    size->setObjectName("txtFontSize");
    size->setRange(4, 72);
    size->setDecimals(1);
    size->setValue(style_.fontSize);
    fl->addWidget(family, 1);
    fl->addWidget(new QLabel(QText("Hx.AA.PUB.Print.FontSize"), fontRow));
    fl->addWidget(size);
    form->addRow(QText("Hx.AA.PUB.Print.Font"), fontRow);

    auto* repeat = new QCheckBox(QText("Hx.AA.PUB.Print.RepeatHeader"), &dialog);
    repeat->setObjectName("chkRepeatHeader");
    repeat->setChecked(style_.repeatHeader);
    root->addWidget(repeat);

    auto* columns = new QTableWidget(static_cast<int>(style_.columns.size()), 2, &dialog);
    columns->setObjectName("grdColumns");
    columns->setHorizontalHeaderLabels({QText("Hx.AA.PUB.Print.Columns"), QText("Hx.AA.PUB.Print.ColumnWidth")});
    columns->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    columns->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    columns->verticalHeader()->hide();
    for (int r = 0; r < columns->rowCount(); ++r) {
        const auto& c = style_.columns[static_cast<std::size_t>(r)];
        auto* item = new QTableWidgetItem(Q(c.caption));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(c.visible ? Qt::Checked : Qt::Unchecked);
        columns->setItem(r, 0, item);
        auto* width = new QDoubleSpinBox(columns);
        width->setRange(0, 1000);
        width->setDecimals(1);
        width->setSpecialValueText("-");  // 0: as wide as the column's values ask
        width->setValue(c.width);
        columns->setCellWidget(r, 1, width);
    }
    root->addWidget(columns, 1);

    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QText("Hx.AA.MSGBOX.Ok"), QDialogButtonBox::AcceptRole)->setObjectName("cmdOk");
    buttons->addButton(QText("Hx.AA.MSGBOX.Cancel"), QDialogButtonBox::RejectRole)->setObjectName("cmdCancel");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    root->addWidget(buttons);
    dialog.resize(560, 520);

    if (Run(dialog) != QDialog::Accepted) return true;
    PageStyle s = style_;
    s.paper = paper->currentText().toStdString();
    s.landscape = landscape->isChecked();
    s.marginLeft = box[0]->value();
    s.marginTop = box[1]->value();
    s.marginRight = box[2]->value();
    s.marginBottom = box[3]->value();
    s.headerText = header->text().toStdString();
    s.footerText = footer->text().toStdString();
    s.fontFamily = family->currentFont().family().toStdString();
    s.fontSize = size->value();
    s.repeatHeader = repeat->isChecked();
    for (int r = 0; r < columns->rowCount(); ++r) {
        auto& c = s.columns[static_cast<std::size_t>(r)];
        c.visible = columns->item(r, 0)->checkState() == Qt::Checked;
        c.width = static_cast<QDoubleSpinBox*>(columns->cellWidget(r, 1))->value();
    }
    style_ = std::move(s);
    return false;
}

void PrintControl::TriggerEvent(int eventId) {
    if (eventId != 0 || !styleEvent_) return;
    // The style goes out in two parts, as the event always carried it; the receiver joins them.
    const std::string text = StyleText(style_);
    std::size_t half = text.size() / 2;
    while (half > 0 && (static_cast<unsigned char>(text[half]) & 0xC0) == 0x80) --half;
    styleEvent_(text.substr(0, half), text.substr(half));
}

namespace {

void SetLayout(QPrinter& printer, const PageStyle& style) {
    // PrintPages sets the same layout; the dialogs show it before anything is painted.
    static const std::pair<const char*, QPageSize::PageSizeId> papers[] = {
        {"A3", QPageSize::A3}, {"A4", QPageSize::A4}, {"A5", QPageSize::A5},
        {"B5", QPageSize::B5}, {"Letter", QPageSize::Letter}, {"Legal", QPageSize::Legal}};
    QPageSize::PageSizeId id = QPageSize::A4;
    for (const auto& [name, pid] : papers)
        if (txt::EqualsNoCase(style.paper, name)) id = pid;
    printer.setPageLayout(QPageLayout(QPageSize(id), style.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(style.marginLeft, style.marginTop, style.marginRight, style.marginBottom),
                                      QPageLayout::Millimeter));
}

}  // namespace

void PrintControl::DoPrint() {
    if (!loaded_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(Q(sheet_.title));
    SetLayout(printer, style_);
    QPrintDialog dialog(&printer, Owner());
    dialog.setObjectName("dlgPrint");
    if (Run(dialog) != QDialog::Accepted) return;
    // The dialog's paper and orientation win: the user chose them last.
    PrintPages(printer, sheet_, style_, Texts(), true);
}

void PrintControl::PrintPreview() {
    if (!loaded_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(Q(sheet_.title));
    SetLayout(printer, style_);
    QPrintPreviewDialog dialog(&printer, Owner());
    dialog.setObjectName("dlgPreview");
    dialog.setWindowTitle(QText("Hx.AA.PUB.Print.Preview"));
    const PageTexts texts = Texts();
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&](QPrinter* p) { PrintPages(*p, sheet_, style_, texts, true); });
    dialog.resize(900, 700);
    Run(dialog);
}

bool PrintControl::ChooseFile(std::string& path, int& filter) {
    QFileDialog dialog(Owner(), QText("Hx.AA.PUB.Print.ExportTitle"));
    dialog.setObjectName("dlgExport");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // In the order of Format.
    const QStringList filters = {QText("Hx.AA.PUB.Print.FilterXlsx"), QText("Hx.AA.PUB.Print.FilterCsv"),
                                 QText("Hx.AA.PUB.Print.FilterPdf")};
    dialog.setNameFilters(filters);
    dialog.selectFile(Q(sheet_.title) + ".xlsx");
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &filters](const QString& f) {
        const auto i = filters.indexOf(f);
        const QStringList chosen = dialog.selectedFiles();
        const QString base = chosen.isEmpty() ? QString() : QFileInfo(chosen.front()).completeBaseName();
        if (i >= 0 && !base.isEmpty())
            dialog.selectFile(base + "." + QString::fromLatin1(FormatExtension(static_cast<Format>(i)).data()));
    });
    if (Run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    path = dialog.selectedFiles().front().toStdString();
    filter = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    return true;
}

void PrintControl::ExportToFile(const std::string& fileName, const std::string& fileType, const std::string& types,
                                const std::string& sizes, long& result) {
    Outcome out{result::NoData, fileName, ""};
    std::string path = fileName;
    int filter = -1;
    if (loaded_ && (!path.empty() || ChooseFile(path, filter))) {
        // The type asked for wins, then the name's extension, then the dialog's filter (whose
        // extension the name then gets).
        std::optional<Format> format = fileType.empty() ? FormatOfPath(path) : FormatFromName(fileType);
        if (!format && fileType.empty() && filter >= 0) {
            format = static_cast<Format>(filter);
            path += "." + std::string(FormatExtension(*format));
        }
        if (format) {
            Sheet sheet = sheet_;
            ApplyTypeSize(sheet, types, sizes);
            // Columns hidden on paper still go into the data files.
            out = Export(sheet, path, *format, style_, Texts());
        } else {
            out = {result::BadFormat, path, fileType.empty() ? path : fileType};
        }
    } else if (loaded_) {
        out.result = result::Cancelled;
    }
    result = out.result;
    SetLastOutcome(std::move(out));
}

}  // namespace host::print
