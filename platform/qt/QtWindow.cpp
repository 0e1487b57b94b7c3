#include "platform/qt/QtWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleHints>

#include <algorithm>
#include <utility>

#include "platform/ControlIds.h"
#include "platform/qt/InputBlocker.h"
#include "platform/qt/ListBox.h"
#include "platform/qt/PaintThrottle.h"

namespace zwf::qt {

namespace {

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

// The top-level widget. Its close box, Alt+F4 and the window menu's "Close" only ask the program
// to close; the window goes when the program closes it.
class MainWidget final : public QWidget {
public:
    explicit MainWidget(std::function<void()> onCloseRequest)
        : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowCloseButtonHint),
          m_onCloseRequest(std::move(onCloseRequest)) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        m_onCloseRequest();
    }

private:
    std::function<void()> m_onCloseRequest;
};

QtWindow::QtWindow(std::string_view title, std::span<const ControlSpec> controls, QSize clientSize)
    : m_widget(std::make_unique<MainWidget>([this] { QueueCloseRequest(); })),
      m_inputBlocker(std::make_unique<InputBlocker>()), m_paintThrottle(std::make_unique<PaintThrottle>()) {
    m_widget->setWindowTitle(ToQString(title));
    m_widget->setFixedSize(clientSize);
    for (const ControlSpec& spec : controls)
        CreateControl(spec);
    CenterOnScreen(clientSize);
    m_widget->show();
}

QtWindow::~QtWindow() {
    if (m_working)
        EndWork();
}

void QtWindow::CreateControl(const ControlSpec& spec) {
    QWidget* widget = nullptr;
    const int id = spec.id;
    switch (spec.kind) {
    case ControlSpec::Kind::Button: {
        auto* button = new QPushButton(ToQString(spec.text), m_widget.get());
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, [this, id] { QueueControl(id, WindowEvent::Action::Click); });
        widget = button;
        break;
    }
    case ControlSpec::Kind::Label: {
        auto* label = new QLabel(ToQString(spec.text), m_widget.get());
        label->setTextFormat(Qt::PlainText);
        label->setFocusPolicy(Qt::NoFocus);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
    }
    case ControlSpec::Kind::ListBox: {
        widget = new ListBox(
            m_widget.get(), [this, id] { QueueControl(id, WindowEvent::Action::SelectionChange); },
            [this, id] { QueueControl(id, WindowEvent::Action::DoubleClick); });
        break;
    }
    }
    widget->setObjectName(QStringLiteral("control%1").arg(id));
    widget->setGeometry(spec.x, spec.y, spec.width, spec.height);
    m_controls.push_back({id, spec.kind, widget});
}

void QtWindow::CenterOnScreen(QSize clientSize) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    m_widget->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, clientSize, screen->geometry()));
}

QWidget* QtWindow::Widget() const { return m_widget.get(); }

QWidget* QtWindow::Control(int id) const {
    const ControlEntry* entry = Find(id);
    return entry != nullptr ? entry->widget : nullptr;
}

const QtWindow::ControlEntry* QtWindow::Find(int id) const {
    const auto it =
        std::find_if(m_controls.begin(), m_controls.end(), [id](const ControlEntry& entry) { return entry.id == id; });
    return it != m_controls.end() ? &*it : nullptr;
}

ListBox* QtWindow::FindListBox(int id) const {
    const ControlEntry* entry = Find(id);
    if (entry == nullptr || entry->kind != ControlSpec::Kind::ListBox)
        return nullptr;
    return static_cast<ListBox*>(entry->widget);
}

void QtWindow::Enable(int id, bool enabled) {
    if (const ControlEntry* entry = Find(id))
        entry->widget->setEnabled(enabled);
}

int QtWindow::LineCount(int id) {
    const ListBox* list = FindListBox(id);
    return list != nullptr ? list->LineCount() : 0;
}

int QtWindow::SelectedLine(int id) {
    const ListBox* list = FindListBox(id);
    return list != nullptr ? list->SelectedLine() : 0;
}

void QtWindow::SelectLine(int id, int index) {
    if (ListBox* list = FindListBox(id))
        list->SelectLine(index);
}

void QtWindow::RemoveLine(int id, int index) {
    if (ListBox* list = FindListBox(id))
        list->RemoveLine(index);
}

void QtWindow::AppendLine(int id, std::string_view text) {
    if (ListBox* list = FindListBox(id))
        list->AppendLine(text);
}

void QtWindow::SetLines(int id, TextLines lines) {
    if (ListBox* list = FindListBox(id))
        list->SetLines(std::move(lines));
}

void QtWindow::Empty(int id) {
    if (ListBox* list = FindListBox(id))
        list->Empty();
}

void QtWindow::SetText(int id, std::string_view text) {
    const ControlEntry* entry = Find(id);
    if (entry == nullptr)
        return;
    if (entry->kind == ControlSpec::Kind::Label)
        static_cast<QLabel*>(entry->widget)->setText(ToQString(text));
    else if (entry->kind == ControlSpec::Kind::Button)
        static_cast<QPushButton*>(entry->widget)->setText(ToQString(text));
}

void QtWindow::Queue(const WindowEvent& event) {
    m_events.push_back(event);
    if (m_waitLoop != nullptr)
        m_waitLoop->quit();
}

void QtWindow::QueueControl(int id, WindowEvent::Action action) {
    // During work a control can still be worked from outside the input blocker's reach (by a
    // screen reader, say); that is no answer to what the window shows after the work either.
    if (m_working)
        return;
    Queue({WindowEvent::Kind::Control, id, action});
}

void QtWindow::QueueCloseRequest() {
    // Asking twice before the program got round to it is still one request.
    const bool alreadyAsked = std::any_of(m_events.begin(), m_events.end(), [](const WindowEvent& event) {
        return event.kind == WindowEvent::Kind::Close;
    });
    if (!alreadyAsked)
        Queue({WindowEvent::Kind::Close, -1, WindowEvent::Action::None});
}

void QtWindow::RequestEnd() {
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
    for (WindowEvent& event : m_events) {
        if (event.kind == WindowEvent::Kind::Close) {
            event.ending = true;
            return;
        }
    }
    WindowEvent event{WindowEvent::Kind::Close, -1, WindowEvent::Action::None};
    event.ending = true;
    Queue(event);
}

WindowEvent QtWindow::WaitEvent() {
    if (!m_widget)
        return {WindowEvent::Kind::Close, -1, WindowEvent::Action::None};
    if (std::exchange(m_turnOwed, false))
        return {};
    while (m_events.empty()) {
        if (m_waitHook)
            m_waitHook();
        if (!m_events.empty())
            break;
        QEventLoop loop;
        m_waitLoop = &loop;
        loop.exec();
        m_waitLoop = nullptr;
    }
    const WindowEvent event = m_events.front();
    m_events.pop_front();
    m_turnOwed = event.kind == WindowEvent::Kind::Control;
    return event;
}

std::string QtWindow::ChooseFolder(std::string_view title, std::string_view initialFolder) {
    if (m_chooseFolder)
        return m_chooseFolder(title, initialFolder);
    const QString chosen = QFileDialog::getExistingDirectory(m_widget.get(), ToQString(title), ToQString(initialFolder),
                                                             QFileDialog::ShowDirsOnly);
    return QFile::encodeName(QDir::toNativeSeparators(chosen)).toStdString();
}

std::chrono::milliseconds QtWindow::DoubleClickTime() {
    return std::chrono::milliseconds(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

void QtWindow::ShowMessage(std::string_view caption, std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(caption), ToQString(text), QMessageBox::Ok, m_widget.get());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtWindow::BeginWork() {
    if (m_working)
        return;
    m_working = true;
    QCoreApplication::instance()->installEventFilter(m_inputBlocker.get());
    QCoreApplication::instance()->installEventFilter(m_paintThrottle.get());
    m_paintThrottle->Restart();
}

void QtWindow::KeepAlive() {
    if (!m_working)
        return;
    // Everything pending is handled at once: a screen reader's question waits no longer than the
    // work takes to call again, and the input blocker throws away what the user did meanwhile.
    // Only painting waits for its turn.
    QCoreApplication::processEvents();
    m_paintThrottle->Flush();
}

void QtWindow::EndWork() {
    if (!m_working)
        return;
    // Input that came in since the last repaint is still waiting; it goes the same way.
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(m_paintThrottle.get());
    m_paintThrottle->Release();
    QCoreApplication::instance()->removeEventFilter(m_inputBlocker.get());
    m_working = false;
}

void QtWindow::ShowProgressBar(bool shown) {
    QWidget* searchButton = Control(ctl::kSearch);
    if (!m_widget || searchButton == nullptr)
        return;
    if (m_progressBar == nullptr) {
        m_progressBar = new QProgressBar(m_widget.get());
        m_progressBar->setObjectName(QStringLiteral("control%1").arg(ctl::kProgress));
        m_progressBar->setRange(0, 100);
        m_progressBar->setTextVisible(false);
        m_progressBar->setFocusPolicy(Qt::NoFocus);
    }
    m_progressBar->setGeometry(searchButton->geometry());
    m_progressBar->setValue(0);
    m_progressBar->setVisible(shown);
    searchButton->setVisible(!shown);
    // Painted at once: the work that follows may be long before it lets the window repaint.
    (shown ? static_cast<QWidget*>(m_progressBar) : searchButton)->repaint();
}

void QtWindow::SetProgress(int percent) {
    if (m_progressBar == nullptr || !m_progressBar->isVisible())
        return;
    m_progressBar->setValue(std::clamp(percent, 0, 100));  // repaints at once by itself
}

void QtWindow::Close() {
    m_controls.clear();
    m_progressBar = nullptr;
    m_widget.reset();
}

}  // namespace zwf::qt
