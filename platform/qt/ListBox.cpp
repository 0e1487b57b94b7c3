#include "platform/qt/ListBox.h"

#include <QMouseEvent>
#include <QSignalBlocker>

namespace zwf::qt {

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    // Long paths are cut at the right edge, as they are, rather than shortened with "...".
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Every line has the same height; this keeps lists of many thousand files quick to fill.
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int ListBox::SelectedLine() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void ListBox::SelectLine(int index) {
    ForceSelection(index >= 0 && index < count() ? index : -1);
}

void ListBox::RemoveLine(int index) {
    if (index < 0 || index >= count())
        return;
    const int selected = SelectedLine();
    {
        const QSignalBlocker quiet(this);
        delete takeItem(index);
    }
    // Qt moves the selection to a neighbour when the selected row goes; a list box keeps none.
    if (selected == index)
        ForceSelection(-1);
    else
        ForceSelection(selected > index ? selected - 1 : selected);
}

void ListBox::AppendLine(std::string_view text) {
    // Names that are not valid UTF-8 show replacement characters; the real bytes stay in the core.
    const QSignalBlocker quiet(this);
    addItem(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void ListBox::Empty() {
    const QSignalBlocker quiet(this);
    clear();
}

void ListBox::ForceSelection(int index) {
    const QSignalBlocker quiet(this);
    if (index < 0) {
        clearSelection();
        setCurrentRow(-1, QItemSelectionModel::Clear);
    } else {
        setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    }
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    // Only the left button chooses a line; a right or middle click leaves the selection alone.
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    QListWidget::mousePressEvent(event);
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    QListWidget::mouseDoubleClickEvent(event);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index,
                                                              const QEvent* event) const {
    // Ctrl+click would take the selection away; a list box keeps its line until another is chosen.
    const auto command = QListWidget::selectionCommand(index, event);
    if (command.testFlag(QItemSelectionModel::Deselect) || command.testFlag(QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

}  // namespace zwf::qt
