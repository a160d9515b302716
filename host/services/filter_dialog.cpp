// The general filter's dialog: a table of conditions (AND/OR, column, operator, values typed
// or picked from the column's values) and the user's named definitions.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "../session/support.h"
#include "common/list_joins.h"
#include "host/filter.h"
#include "platform/db/rowset.h"
#include "platform/diagnostics.h"
#include "platform/text.h"

namespace host {

namespace {

constexpr int kJoinCol = 0, kColumnCol = 1, kOpCol = 2, kValueCol = 3, kValue2Col = 4;
constexpr int kPickedValues = 200;

const char* kOpKeys[kFilterOpCount] = {"Hx.AA.FILTER.OpEquals",  "Hx.AA.FILTER.OpNotEqual", "Hx.AA.FILTER.OpContains",
                                       "Hx.AA.FILTER.OpBegins",  "Hx.AA.FILTER.OpGreater",  "Hx.AA.FILTER.OpLess",
                                       "Hx.AA.FILTER.OpBetween", "Hx.AA.FILTER.OpEmpty",    "Hx.AA.FILTER.OpNotEmpty"};

class FilterDialog final : public QDialog {
public:
    explicit FilterDialog(FilterDialogRequest& request) : request_(request) {
        setObjectName("frmGeneralFilter");
        setWindowTitle(T("Hx.AA.FILTER.Title"));
        auto* root = new QVBoxLayout(this);

        auto* defs = new QHBoxLayout;
        defs->addWidget(new QLabel(T("Hx.AA.FILTER.Definition"), this));
        cboDefinition_ = new QComboBox(this);
        cboDefinition_->setObjectName("cboDefinition");
        cboDefinition_->setMinimumWidth(200);
        defs->addWidget(cboDefinition_, 1);
        defs->addWidget(Button("cmdLoad", "Hx.AA.FILTER.Load", [this] { LoadDefinition(); }));
        defs->addWidget(Button("cmdSave", "Hx.AA.FILTER.Save", [this] { SaveDefinition(); }));
        defs->addWidget(Button("cmdDelete", "Hx.AA.FILTER.Delete", [this] { DeleteDefinition(); }));
        root->addLayout(defs);

        table_ = new QTableWidget(0, 5, this);
        table_->setObjectName("tblConditions");
        table_->setHorizontalHeaderLabels({T("Hx.AA.FILTER.Join"), T("Hx.AA.FILTER.Column"), T("Hx.AA.FILTER.Operator"),
                                           T("Hx.AA.FILTER.Value"), T("Hx.AA.FILTER.Value2")});
        table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        table_->horizontalHeader()->setSectionResizeMode(kJoinCol, QHeaderView::ResizeToContents);
        table_->verticalHeader()->hide();
        table_->setSelectionBehavior(QAbstractItemView::SelectRows);
        root->addWidget(table_, 1);

        auto* rows = new QHBoxLayout;
        rows->addWidget(Button("cmdAdd", "Hx.AA.FILTER.Add", [this] { AddRow({}); }));
        rows->addWidget(Button("cmdRemove", "Hx.AA.FILTER.Remove", [this] {
            if (table_->currentRow() >= 0) table_->removeRow(table_->currentRow());
        }));
        rows->addWidget(Button("cmdClear", "Hx.AA.FILTER.Clear", [this] { table_->setRowCount(0); }));
        rows->addStretch(1);
        root->addLayout(rows);

        lblProblem_ = new QLabel(this);
        lblProblem_->setObjectName("lblProblem");
        lblProblem_->setStyleSheet("color:#b00020;");
        lblProblem_->setWordWrap(true);
        root->addWidget(lblProblem_);

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Ok)->setText(T("Hx.AA.FILTER.Ok"));
        buttons->button(QDialogButtonBox::Ok)->setObjectName("cmdOk");
        buttons->button(QDialogButtonBox::Cancel)->setText(T("Hx.AA.FILTER.Cancel"));
        connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        root->addWidget(buttons);

        RefreshNames();
        for (const auto& c : request_.conditions) AddRow(c);
        if (request_.conditions.empty()) AddRow({});
        resize(860, 420);
    }

    // The table as conditions.
    std::vector<FilterCondition> Conditions() const {
        std::vector<FilterCondition> out;
        for (int r = 0; r < table_->rowCount(); ++r) {
            FilterCondition c;
            c.orWithPrevious = Combo(r, kJoinCol)->currentIndex() == 1;
            const int col = Combo(r, kColumnCol)->currentIndex();
            if (col < 0) continue;
            c.column = request_.columns[static_cast<std::size_t>(col)].name;
            c.op = static_cast<FilterOp>(Combo(r, kOpCol)->currentData().toInt());
            c.value = Combo(r, kValueCol)->currentText().toStdString();
            c.value2 = static_cast<QLineEdit*>(table_->cellWidget(r, kValue2Col))->text().toStdString();
            // A row left without its value is one the user has not filled in yet ("is empty" says
            // what an empty value would).
            const bool needsValue = c.op != FilterOp::IsEmpty && c.op != FilterOp::IsNotEmpty;
            if (needsValue && platform::text::Trim(c.value).empty()) continue;
            out.push_back(std::move(c));
        }
        return out;
    }

private:
    QString T(const char* key, const std::vector<std::string>& params = {}) const {
        return QString::fromStdString(detail::HostText(request_.language, key, params));
    }
    QPushButton* Button(const char* name, const char* key, std::function<void()> f) {
        auto* b = new QPushButton(T(key), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, std::move(f));
        return b;
    }
    QComboBox* Combo(int row, int col) const { return static_cast<QComboBox*>(table_->cellWidget(row, col)); }

    void AddRow(const FilterCondition& c) {
        const int r = table_->rowCount();
        table_->insertRow(r);
        auto* join = new QComboBox(table_);
        join->addItems({T("Hx.AA.FILTER.And"), T("Hx.AA.FILTER.Or")});
        join->setCurrentIndex(c.orWithPrevious ? 1 : 0);
        table_->setCellWidget(r, kJoinCol, join);
        auto* column = new QComboBox(table_);
        for (const auto& f : request_.columns) column->addItem(QString::fromStdString(f.caption));
        table_->setCellWidget(r, kColumnCol, column);
        auto* op = new QComboBox(table_);
        table_->setCellWidget(r, kOpCol, op);
        auto* value = new QComboBox(table_);
        value->setEditable(true);
        table_->setCellWidget(r, kValueCol, value);
        auto* value2 = new QLineEdit(table_);
        table_->setCellWidget(r, kValue2Col, value2);

        int index = 0;
        for (std::size_t i = 0; i < request_.columns.size(); ++i)
            if (platform::text::EqualsNoCase(request_.columns[i].name, c.column)) index = static_cast<int>(i);
        column->setCurrentIndex(index);
        ColumnChosen(column, op, value, c.op);
        value->setCurrentText(QString::fromStdString(c.value));
        value2->setText(QString::fromStdString(c.value2));
        connect(column, &QComboBox::currentIndexChanged, this,
                [=, this] { ColumnChosen(column, op, value, FilterOp::Equals); });
        auto between = [=] {
            const bool two = op->currentData().toInt() == static_cast<int>(FilterOp::Between);
            const int o = op->currentData().toInt();
            value->setEnabled(o != static_cast<int>(FilterOp::IsEmpty) && o != static_cast<int>(FilterOp::IsNotEmpty));
            value2->setEnabled(two);
        };
        connect(op, &QComboBox::currentIndexChanged, this, between);
        between();
    }

    // Operators that fit the column, and its values to pick from.
    void ColumnChosen(QComboBox* column, QComboBox* op, QComboBox* value, FilterOp wanted) {
        const int i = column->currentIndex();
        if (i < 0) return;
        const FilterColumn& f = request_.columns[static_cast<std::size_t>(i)];
        op->clear();
        for (int o = 0; o < kFilterOpCount; ++o)
            if (FilterOpFits(static_cast<FilterOp>(o), f.type)) op->addItem(T(kOpKeys[o]), o);
        const int at = op->findData(static_cast<int>(wanted));
        op->setCurrentIndex(at >= 0 ? at : 0);
        const QString typed = value->currentText();
        value->clear();
        for (const auto& v : Picked(f)) value->addItem(QString::fromStdString(v));
        value->setCurrentText(typed);
    }

    std::vector<std::string> Picked(const FilterColumn& f) {
        if (f.type == "bool") return {"1", "0"};
        auto cached = picked_.find(f.name);
        if (cached != picked_.end()) return cached->second;
        std::vector<std::string> values;
        try {
            auto db = detail::Open(request_.accountText);
            const std::string e = f.expression;
            auto rs = db->OpenRowset("SELECT TOP " + std::to_string(kPickedValues) + " " + e + " AS v FROM Ven_Contact " +
                                     sovrel::BuildListJoins(e + " AS v") + " WHERE " + e + " IS NOT NULL GROUP BY " + e +
                                     " ORDER BY " + e);
            for (; !rs->Eof(); rs->MoveNext()) {
                std::string v = rs->Get(0).ToText();
                if (f.type == "date") v = v.substr(0, 10);
                if (!v.empty() && (values.empty() || values.back() != v)) values.push_back(v);
            }
        } catch (const std::exception& e) {
            // Nothing to pick from: the user types the value.
            platform::DebugOutput(std::string("FilterSrv: no values of ") + f.name + " to pick: " + e.what());
        }
        picked_[f.name] = values;
        return values;
    }

    void RefreshNames() {
        cboDefinition_->clear();
        try {
            for (const auto& n : FilterDefinitionNames(request_.systemText, request_.userId, request_.filterName))
                cboDefinition_->addItem(QString::fromStdString(n));
        } catch (const std::exception& e) {
            lblProblem_->setText(QString::fromStdString(e.what()));
        }
    }

    void LoadDefinition() {
        std::vector<FilterCondition> conditions;
        const std::string name = cboDefinition_->currentText().toStdString();
        if (name.empty()) return;
        if (!LoadFilterDefinition(request_.systemText, request_.userId, request_.filterName, name, conditions)) {
            lblProblem_->setText(T("Hx.AA.FILTER.Unreadable", {name}));
            return;
        }
        table_->setRowCount(0);
        for (const auto& c : conditions) AddRow(c);
        lblProblem_->clear();
    }

    void SaveDefinition() {
        bool ok = false;
        const QString name = QInputDialog::getText(this, T("Hx.AA.FILTER.Save"), T("Hx.AA.FILTER.Name"),
                                                   QLineEdit::Normal, cboDefinition_->currentText(), &ok);
        if (!ok || name.trimmed().isEmpty()) return;
        try {
            SaveFilterDefinition(request_.systemText, request_.userId, request_.filterName, name.toStdString(),
                                 Conditions());
            RefreshNames();
            cboDefinition_->setCurrentText(name.trimmed());
            lblProblem_->clear();
        } catch (const std::exception& e) {
            lblProblem_->setText(QString::fromStdString(e.what()));
        }
    }

    void DeleteDefinition() {
        const std::string name = cboDefinition_->currentText().toStdString();
        if (name.empty()) return;
        try {
            DeleteFilterDefinition(request_.systemText, request_.userId, request_.filterName, name);
        } catch (const std::exception& e) {
            lblProblem_->setText(QString::fromStdString(e.what()));
        }
        RefreshNames();
    }

    void Confirm() {
        std::string sql, problem;
        const auto conditions = Conditions();
        if (!BuildFilterSql(request_.columns, conditions, request_.language, sql, problem)) {
            lblProblem_->setText(QString::fromStdString(problem));
            return;
        }
        request_.conditions = conditions;
        accept();
    }

    FilterDialogRequest& request_;
    QComboBox* cboDefinition_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* lblProblem_ = nullptr;
    std::map<std::string, std::vector<std::string>> picked_;
};

}  // namespace

bool ShowFilterDialog(FilterDialogRequest& request) {
    FilterDialog dialog(request);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace host
