#include "platform/headless/HeadlessWindow.h"

#include <algorithm>
#include <utility>

#include "platform/ControlIds.h"

namespace zwf {

namespace {
const std::vector<std::string> kNoLines;
}  // namespace

HeadlessWindow::HeadlessWindow(std::span<const ControlSpec> controls) {
    for (const ControlSpec& spec : controls)
        m_controls[spec.id] = Control{.kind = spec.kind, .text = std::string(spec.text)};
}

HeadlessWindow& HeadlessWindow::Add(UserAction action) {
    m_script.push_back(std::move(action));
    return *this;
}

HeadlessWindow& HeadlessWindow::Check(std::function<void(HeadlessWindow&)> check) {
    UserAction action{.kind = UserAction::Kind::Check};
    action.check = std::move(check);
    return Add(std::move(action));
}

HeadlessWindow& HeadlessWindow::Pause(std::chrono::milliseconds pause) {
    return Check([pause](HeadlessWindow& window) { window.m_now += pause; });
}

HeadlessWindow& HeadlessWindow::DuringWork(UserAction action) {
    action.duringWork = true;
    return Add(std::move(action));
}

HeadlessWindow& HeadlessWindow::AnswerFolder(std::string folder) {
    m_folderAnswers.push_back(std::move(folder));
    return *this;
}

HeadlessWindow& HeadlessWindow::PickFolder(int id, std::string folder) {
    AnswerFolder(std::move(folder));
    return Click(id);
}

HeadlessWindow::Control* HeadlessWindow::Find(int id) {
    auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : &found->second;
}

const HeadlessWindow::Control* HeadlessWindow::Find(int id) const {
    auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : &found->second;
}

// A destroyed window has no controls left to act on.
HeadlessWindow::Control* HeadlessWindow::FindListBox(int id) {
    Control* control = m_closed ? nullptr : Find(id);
    return control && control->kind == ControlSpec::Kind::ListBox ? control : nullptr;
}

std::vector<std::string> HeadlessWindow::Lines(int id) const {
    const Control* control = Find(id);
    return control ? control->lines : kNoLines;
}

int HeadlessWindow::Selection(int id) const {
    const Control* control = Find(id);
    return control ? control->selected : -1;
}

std::string HeadlessWindow::Text(int id) const {
    const Control* control = Find(id);
    return control ? control->text : std::string();
}

bool HeadlessWindow::IsEnabled(int id) const {
    const Control* control = Find(id);
    return control && control->enabled;
}

bool HeadlessWindow::IsVisible(int id) const {
    if (id == ctl::kProgress)
        return m_barShown;
    const Control* control = Find(id);
    return control && control->visible;
}

const std::vector<std::string>& HeadlessWindow::TextHistory(int id) const {
    const Control* control = Find(id);
    return control ? control->textHistory : kNoLines;
}

void HeadlessWindow::Enable(int id, bool enabled) {
    if (Control* control = m_closed ? nullptr : Find(id))
        control->enabled = enabled;
}

int HeadlessWindow::LineCount(int id) {
    const Control* control = FindListBox(id);
    return control ? static_cast<int>(control->lines.size()) : 0;
}

int HeadlessWindow::SelectedLine(int id) {
    const Control* control = FindListBox(id);
    return control ? control->selected : 0;
}

// Like LB_SETCURSEL: an index outside the lines leaves no line selected.
void HeadlessWindow::SelectLine(int id, int index) {
    Control* control = FindListBox(id);
    if (!control)
        return;
    const bool inside = index >= 0 && static_cast<std::size_t>(index) < control->lines.size();
    control->selected = inside ? index : -1;
}

// Like LB_DELETESTRING: the selected line going leaves no selection; a selection below moves up.
void HeadlessWindow::RemoveLine(int id, int index) {
    Control* control = FindListBox(id);
    if (!control || index < 0 || static_cast<std::size_t>(index) >= control->lines.size())
        return;
    control->lines.erase(control->lines.begin() + index);
    if (control->selected == index)
        control->selected = -1;
    else if (control->selected > index)
        --control->selected;
}

void HeadlessWindow::AppendLine(int id, std::string_view text) {
    if (Control* control = FindListBox(id))
        control->lines.emplace_back(text);
}

void HeadlessWindow::Empty(int id) {
    if (Control* control = FindListBox(id)) {
        control->lines.clear();
        control->selected = -1;
    }
}

// Labels and buttons show their text; a list box has none to show.
void HeadlessWindow::SetText(int id, std::string_view text) {
    Control* control = m_closed ? nullptr : Find(id);
    if (!control || control->kind == ControlSpec::Kind::ListBox)
        return;
    control->text = text;
    control->textHistory.emplace_back(text);
}

bool HeadlessWindow::TakesInput(int id) const {
    const Control* control = Find(id);
    return control && control->enabled && control->visible;
}

bool HeadlessWindow::Deliver(const UserAction& action, WindowEvent& event) {
    if (!TakesInput(action.control))
        return false;
    Control& control = *Find(action.control);
    event = WindowEvent{WindowEvent::Kind::Control, action.control};
    if (action.kind == UserAction::Kind::Click) {
        event.action = WindowEvent::Action::Click;
        return control.kind == ControlSpec::Kind::Button;
    }
    const bool onLine = action.line >= 0 && static_cast<std::size_t>(action.line) < control.lines.size();
    if (control.kind != ControlSpec::Kind::ListBox || !onLine)
        return false;
    const bool changed = control.selected != action.line;
    control.selected = action.line;
    if (action.kind == UserAction::Kind::Select) {
        event.action = WindowEvent::Action::SelectionChange;
        return true;
    }
    // A double-click on a line that was not selected first selects it, then reports the double-click.
    event.action = WindowEvent::Action::DoubleClick;
    if (changed) {
        m_pending.push_back(event);
        event.action = WindowEvent::Action::SelectionChange;
    }
    return true;
}

WindowEvent HeadlessWindow::WaitEvent() {
    if (m_closed || std::exchange(m_closeAsked, false))
        return WindowEvent{WindowEvent::Kind::Close};
    if (std::exchange(m_turnOwed, false))
        return WindowEvent{};
    if (!m_pending.empty()) {
        WindowEvent event = m_pending.front();
        m_pending.pop_front();
        m_turnOwed = true;
        ++m_controlEvents;
        return event;
    }
    while (!m_script.empty()) {
        UserAction action = std::move(m_script.front());
        m_script.pop_front();
        if (action.kind == UserAction::Kind::Check) {
            action.check(*this);
            continue;
        }
        if (action.kind == UserAction::Kind::Close)
            return WindowEvent{WindowEvent::Kind::Close};
        WindowEvent event;
        if (!Deliver(action, event)) {
            m_ignored.push_back(std::move(action));
            continue;
        }
        m_turnOwed = true;
        ++m_controlEvents;
        return event;
    }
    return WindowEvent{WindowEvent::Kind::Close};
}

std::string HeadlessWindow::ChooseFolder(std::string_view title, std::string_view initialFolder) {
    m_folderRequests.push_back(FolderRequest{std::string(title), std::string(initialFolder)});
    if (m_folderAnswers.empty())
        return {};
    std::string answer = std::move(m_folderAnswers.front());
    m_folderAnswers.pop_front();
    return answer;
}

void HeadlessWindow::ShowMessage(std::string_view caption, std::string_view text) {
    m_messages.push_back(ShownMessage{std::string(caption), std::string(text), !m_closed});
}

void HeadlessWindow::BeginWork() {
    m_working = true;
    ++m_workCount;
}

void HeadlessWindow::KeepAlive() {
    ++m_keepAliveCount;
    DiscardInputMadeDuringWork();
}

void HeadlessWindow::EndWork() {
    DiscardInputMadeDuringWork();
    m_working = false;
}

void HeadlessWindow::DiscardInputMadeDuringWork() {
    if (!m_working)
        return;
    while (!m_script.empty() && m_script.front().duringWork) {
        if (m_script.front().kind == UserAction::Kind::Close)
            m_closeAsked = true;  // kept: answered once the work is done
        else
            m_discarded.push_back(std::move(m_script.front()));
        m_script.pop_front();
    }
}

void HeadlessWindow::ShowProgressBar(bool shown) {
    if (m_closed)
        return;
    m_barShown = shown;
    if (shown)
        m_progress = 0;
    if (Control* button = Find(ctl::kSearch))
        button->visible = !shown;
    m_barLog.push_back(shown);
}

void HeadlessWindow::SetProgress(int percent) {
    if (m_closed)
        return;
    if (!m_barShown) {
        ++m_progressWhileHidden;
        return;
    }
    m_progress = std::clamp(percent, 0, 100);
    m_progressPositions.push_back(percent);
    if (m_progressHook)
        m_progressHook(percent);
}

void HeadlessWindow::Close() {
    m_closed = true;
    m_barShown = false;
}

}  // namespace zwf
