#pragma once

#include <QListWidget>

#include <string_view>

namespace zwf::qt {

// A list box that behaves like a Win32 single-selection list box: lines stay in the order
// appended, -1 stands for "no line", and the program's own changes of the selection emit no
// signal, so only the user's clicks, arrow keys and typed letters reach the event queue.
class ListBox final : public QListWidget {
public:
    explicit ListBox(QWidget* parent);

    int LineCount() const { return count(); }
    int SelectedLine() const;
    void SelectLine(int index);  // any index outside the lines, -1 included, clears the selection
    void RemoveLine(int index);  // an index outside the lines removes nothing
    void AppendLine(std::string_view text);
    void Empty();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    void ForceSelection(int index);
};

}  // namespace zwf::qt
