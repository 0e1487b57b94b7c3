#include "platform/qt/ListBox.h"

#include <QMouseEvent>

#include <utility>

namespace zwf::qt {

namespace {

// Lines laid out at a time: a few milliseconds' worth.
constexpr int kLayoutBatch = 20000;

}  // namespace

int LineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_lines.Size());
}

QVariant LineModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    // Names that are not valid UTF-8 show replacement characters; the real bytes stay in the core.
    const std::string_view line = m_lines[static_cast<std::size_t>(index.row())];
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

void LineModel::Append(std::string_view line) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    m_lines.Append(line);
    endInsertRows();
}

void LineModel::Remove(int row) {
    beginRemoveRows({}, row, row);
    m_lines.Remove(static_cast<std::size_t>(row));
    endRemoveRows();
}

void LineModel::Replace(TextLines lines) {
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

namespace {

// Lets the program change lines and selection without the change reading as the user's.
class Quiet {
public:
    explicit Quiet(bool& flag) : m_flag(flag), m_was(std::exchange(flag, true)) {}
    ~Quiet() { m_flag = m_was; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

}  // namespace

ListBox::ListBox(QWidget* parent, std::function<void()> onSelectionChange, std::function<void()> onDoubleClick)
    : QListView(parent), m_model(new LineModel(this)), m_onSelectionChange(std::move(onSelectionChange)) {
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Long paths are cut at the right edge, as they are, rather than shortened with "...".
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Every line has the same height, so a list of a million lines is laid out without measuring
    // each; and it is laid out in batches, the window handling its events between them.
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(kLayoutBatch);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    QObject::connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_quiet && m_onSelectionChange)
            m_onSelectionChange();
    });
    QObject::connect(this, &QAbstractItemView::doubleClicked, this, [onDoubleClick = std::move(onDoubleClick)] {
        if (onDoubleClick)
            onDoubleClick();
    });
}

int ListBox::SelectedLine() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void ListBox::SelectLine(int index) { ForceSelection(index >= 0 && index < LineCount() ? index : -1); }

void ListBox::RemoveLine(int index) {
    if (index < 0 || index >= LineCount())
        return;
    const int selected = SelectedLine();
    {
        const Quiet quiet(m_quiet);
        m_model->Remove(index);
    }
    // Qt may move the selection to a neighbour when the selected row goes; a list box keeps none.
    if (selected == index)
        ForceSelection(-1);
    else
        ForceSelection(selected > index ? selected - 1 : selected);
}

void ListBox::AppendLine(std::string_view text) {
    const Quiet quiet(m_quiet);
    m_model->Append(text);
}

void ListBox::SetLines(TextLines lines) {
    const Quiet quiet(m_quiet);
    m_model->Replace(std::move(lines));
    ForceSelection(-1);
}

void ListBox::Empty() { SetLines({}); }

void ListBox::ForceSelection(int index) {
    const Quiet quiet(m_quiet);
    if (index < 0) {
        selectionModel()->clear();
    } else {
        selectionModel()->setCurrentIndex(m_model->index(index), QItemSelectionModel::ClearAndSelect);
    }
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    // Only the left button chooses a line; a right or middle click leaves the selection alone.
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    QListView::mousePressEvent(event);
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    QListView::mouseDoubleClickEvent(event);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const {
    // Ctrl+click would take the selection away; a list box keeps its line until another is chosen.
    const auto command = QListView::selectionCommand(index, event);
    if (command.testFlag(QItemSelectionModel::Deselect) || command.testFlag(QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

}  // namespace zwf::qt
