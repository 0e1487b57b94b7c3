#pragma once

#include <QAbstractListModel>
#include <QListView>

#include <functional>
#include <string_view>

#include "platform/TextLines.h"

namespace zwf::qt {

// The lines of a list box as a model: kept as UTF-8 text, a line becomes a QString only while it
// is shown or asked for, so a million lines need no object each.
class LineModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void Append(std::string_view line);
    void Remove(int row);
    void Replace(TextLines lines);

private:
    TextLines m_lines;
};

// A list box that behaves like a Win32 single-selection list box: lines stay in the order
// appended, -1 stands for "no line", and the program's own changes of the selection raise no
// event, so only the user's clicks, arrow keys and typed letters reach the event queue.
class ListBox final : public QListView {
public:
    // onSelectionChange and onDoubleClick hear the user's changes and double-clicks.
    ListBox(QWidget* parent, std::function<void()> onSelectionChange, std::function<void()> onDoubleClick);

    int LineCount() const { return m_model->rowCount(); }
    int SelectedLine() const;
    void SelectLine(int index);  // any index outside the lines, -1 included, clears the selection
    void RemoveLine(int index);  // an index outside the lines removes nothing
    void AppendLine(std::string_view text);
    void SetLines(TextLines lines);  // replaces every line and selects none
    void Empty();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override;

private:
    void ForceSelection(int index);

    LineModel* m_model;    // a child of the list box, as Qt's own views keep theirs
    bool m_quiet = false;  // the program is changing the lines or the selection itself
    std::function<void()> m_onSelectionChange;
};

}  // namespace zwf::qt
