#include "ui/ColumnChooser.h"

#include "ui/widgets/Appearance.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace pellacor {
namespace {

using Role = Appearance::TextRole;
// Item data: a column's number from 1 as a spreadsheet counts, or this for none, or that for
// every column that holds sequences.
constexpr int noColumn = 0;
constexpr int allSequences = -1;

QLabel* captionLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    Appearance::applyText(label, Role::Caption);
    Appearance::applySecondary(label);
    return label;
}

QComboBox* choiceBox(QWidget* parent, const QString& name, const QString& tip) {
    auto* box = new QComboBox(parent);
    // Named by what it chooses, not by what it shows.
    box->setAccessibleName(name);
    box->setAccessibleDescription(tip);
    Appearance::applyText(box, Role::Caption);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(4);
    box->setToolTip(tip);
    return box;
}

// Selects the item whose data is `number`.
void select(QComboBox* box, int number) {
    const int index = box->findData(number);
    box->setCurrentIndex(index >= 0 ? index : 0);
}

} // namespace

ColumnChooser::ColumnChooser(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    note_ = new QLabel(this);
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    Appearance::applyText(note_, Role::Caption);
    Appearance::applySecondary(note_);
    note_->setVisible(false);
    layout->addWidget(note_);

    sheetRow_ = new QWidget(this);
    auto* sheetLayout = new QHBoxLayout(sheetRow_);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    QLabel* sheetCaption = captionLabel(tr("Sheet"), sheetRow_);
    sheetLayout->addWidget(sheetCaption);
    sheet_ = choiceBox(sheetRow_, tr("Sheet"), tr("The workbook's sheet to read"));
    // A screen reader names a menu by the label it is the buddy of.
    sheetCaption->setBuddy(sheet_);
    sheetLayout->addWidget(sheet_, 1);
    sheetLayout->addStretch(1);
    layout->addWidget(sheetRow_);

    encodingRow_ = new QWidget(this);
    auto* encodingLayout = new QHBoxLayout(encodingRow_);
    encodingLayout->setContentsMargins(0, 0, 0, 0);
    encodingLayout->addWidget(captionLabel(tr("Encoding"), encodingRow_));
    encoding_ = choiceBox(encodingRow_, tr("Encoding"), tr("The encoding the table's text is read in"));
    // What users name them, and the names ICU knows them by.
    for (const auto& [label, name] : {std::pair{"UTF-8", "UTF-8"},
                                      {"Windows-1252", "windows-1252"},
                                      {"ISO-8859-1", "ISO-8859-1"},
                                      {"Mac Roman", "macintosh"},
                                      {"Shift_JIS", "Shift_JIS"},
                                      {"GB18030", "GB18030"}})
        encoding_->addItem(QString::fromLatin1(label), QString::fromLatin1(name));
    encodingLayout->addWidget(encoding_, 1);
    encodingLayout->addStretch(1);
    encodingRow_->setVisible(false);
    layout->addWidget(encodingRow_);

    // Each role's name over its choice, so that the three fit a narrow panel side by side.
    columnsRow_ = new QWidget(this);
    auto* columns = new QGridLayout(columnsRow_);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setHorizontalSpacing(Appearance::defaultSpacing);
    columns->setVerticalSpacing(2);
    identifier_ =
        choiceBox(columnsRow_, tr("Identifier column"), tr("The column that names each record"));
    sequence_ =
        choiceBox(columnsRow_, tr("Sequence column"), tr("The column that holds the residues"));
    description_ =
        choiceBox(columnsRow_, tr("Description column"), tr("The column written after the name"));
    int column = 0;
    for (const auto& [text, box] : {std::pair{tr("Identifier"), identifier_},
                                    {tr("Sequence"), sequence_},
                                    {tr("Description"), description_}}) {
        QLabel* caption = captionLabel(text, columnsRow_);
        caption->setBuddy(box);
        columns->addWidget(caption, 0, column);
        columns->addWidget(box, 1, column);
        columns->setColumnStretch(column++, 1);
    }
    // A header read as data, or data read as a header, is mended here.
    header_ = new QCheckBox(tr("First row names the columns"), columnsRow_);
    header_->setAccessibleDescription(tr("Whether the table's first row is a header row"));
    Appearance::applyText(header_, Role::Caption);
    columns->addWidget(header_, 2, 0, 1, 3);
    layout->addWidget(columnsRow_);

    for (QComboBox* box : {identifier_, sequence_, description_})
        connect(box, &QComboBox::currentIndexChanged, this, [this, box] {
            if (isFilling_)
                return;
            releaseOthers(box);
            emit choiceChanged(choiceShown(false));
        });
    connect(header_, &QCheckBox::toggled, this, [this] {
        if (!isFilling_)
            emit choiceChanged(choiceShown(false));
    });
    connect(sheet_, &QComboBox::currentIndexChanged, this, [this] {
        if (!isFilling_)
            emit choiceChanged(choiceShown(true));
    });
    connect(encoding_, &QComboBox::currentIndexChanged, this, [this] {
        if (!isFilling_)
            emit choiceChanged(choiceShown(false));
    });
    setVisible(false);
}

void ColumnChooser::show(const ConversionSummary& summary, bool offerColumns) {
    const bool hasSheets = summary.sheets.size() > 1;
    const bool hasColumns = summary.layout && (summary.layout->columns > 2 || offerColumns);
    // Once an encoding was chosen, it stays in view with the others, UTF-8 among them.
    const bool hasEncoding = !summary.encoding.empty();
    const QString note = QString::fromStdString(summary.note());
    note_->setText(note);
    note_->setVisible(!note.isEmpty());
    setVisible(hasSheets || hasColumns || hasEncoding || !note.isEmpty());
    if (!summary.layout)
        return;
    const ColumnLayout& layout = *summary.layout;
    // What filling the menus changes is no choice of the user's.
    isFilling_ = true;
    const QString encoding = summary.encoding.empty()
                                 ? QStringLiteral("UTF-8")
                                 : QString::fromStdString(summary.encoding);
    int shown = encoding_->findData(encoding);
    if (shown < 0) {
        encoding_->addItem(encoding, encoding);
        shown = encoding_->count() - 1;
    }
    encoding_->setCurrentIndex(shown);
    encodingRow_->setVisible(hasEncoding && summary.sheets.empty());
    sheet_->clear();
    for (std::size_t i = 0; i < summary.sheets.size(); ++i)
        sheet_->addItem(QString::fromStdString(summary.sheets[i]), static_cast<int>(i) + 1);
    const auto read = std::find(summary.sheets.begin(), summary.sheets.end(), summary.sheet);
    sheet_->setCurrentIndex(
        read == summary.sheets.end() ? 0 : static_cast<int>(read - summary.sheets.begin()));
    sheetRow_->setVisible(hasSheets);

    for (QComboBox* box : {identifier_, sequence_, description_})
        box->clear();
    identifier_->addItem(tr("row number"), noColumn);
    description_->addItem(tr("none"), noColumn);
    for (std::size_t i = 0; i < layout.columns; ++i) {
        const bool named = i < layout.names.size() && !layout.names[i].empty();
        const int number = static_cast<int>(layout.number(i));
        const QString label =
            named ? QString::fromStdString(layout.names[i]) : tr("Column %1").arg(number);
        for (QComboBox* box : {identifier_, sequence_, description_})
            box->addItem(label, number);
    }
    sequenceColumns_.clear();
    for (const std::size_t index : layout.sequenceColumns)
        sequenceColumns_.push_back(layout.number(index));
    if (sequenceColumns_.size() > 1)
        sequence_->addItem(tr("all sequence columns"), allSequences);
    const auto numberOf = [&](std::optional<std::size_t> index) {
        return index ? static_cast<int>(layout.number(*index)) : noColumn;
    };
    const int sequence = layout.moreSequences.empty() || sequenceColumns_.size() < 2
                             ? numberOf(layout.sequence)
                             : allSequences;
    for (const auto& [box, number] : {std::pair{identifier_, numberOf(layout.identifier)},
                                      {sequence_, sequence},
                                      {description_, numberOf(layout.description)}})
        select(box, number);
    header_->setChecked(layout.hasHeader);
    columnsRow_->setVisible(hasColumns);
    isFilling_ = false;
}

ConversionRequest ColumnChooser::choiceShown(bool sheetChanged) const {
    ConversionRequest choice;
    if (encodingRow_->isVisibleTo(this))
        choice.encoding = encoding_->currentData().toString().toStdString();
    // By its place among the tabs: names may repeat, places do not.
    if (sheet_->count() > 0)
        choice.sheet = std::to_string(sheet_->currentIndex() + 1);
    // Another sheet has other columns: its own header decides them again.
    if (sheetChanged)
        return choice;
    const auto refOf = [](const QComboBox* box) {
        const int number = box->currentData().toInt();
        return number == noColumn ? ColumnRef::nothing()
                                  : ColumnRef::column(static_cast<std::size_t>(number));
    };
    choice.columns.identifier = refOf(identifier_);
    choice.columns.sequence = refOf(sequence_);
    choice.columns.description = refOf(description_);
    // The header in effect goes with every choice, so that the next one keeps it.
    choice.columns.header = header_->isChecked();
    if (sequence_->currentData().toInt() == allSequences && !sequenceColumns_.empty()) {
        // A record for each column of sequences; none of them names or describes it.
        std::vector<ColumnRef> columns;
        for (const std::size_t number : sequenceColumns_)
            columns.push_back(ColumnRef::column(number));
        choice.columns.sequence = columns.front();
        choice.columns.moreSequences.assign(columns.begin() + 1, columns.end());
        for (auto* part : {&choice.columns.identifier, &choice.columns.description})
            if (std::find(columns.begin(), columns.end(), **part) != columns.end())
                *part = ColumnRef::nothing();
    }
    return choice;
}

void ColumnChooser::useColumn(ColumnRole role, std::size_t number) {
    QComboBox* box = role == ColumnRole::identifier ? identifier_
                     : role == ColumnRole::sequence ? sequence_
                                                    : description_;
    const int wanted = box->findData(static_cast<int>(number));
    if (wanted < 0 || wanted == box->currentIndex())
        return;
    // Its menu's own change converts again.
    box->setCurrentIndex(wanted);
}

void ColumnChooser::releaseOthers(const QComboBox* chosen) {
    const int number = chosen->currentData().toInt();
    if (number == noColumn)
        return;
    isFilling_ = true;
    // One column gives one part: the part that held it lets it go, where it can go without.
    for (QComboBox* other : {identifier_, description_})
        if (other != chosen && other->currentData().toInt() == number)
            select(other, noColumn);
    isFilling_ = false;
}

} // namespace pellacor
