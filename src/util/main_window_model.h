#pragma once
// The state of the main window frmDBPatchMain: lists, bars, labels, check boxes, window height
// and the reveal counter. The run driver, the catalogue and the repairs change it; the Qt window
// and the command line observe it; tests read it. It holds no logic beyond keeping its controls
// consistent and notifying observers.
#include <functional>
#include <string>
#include <vector>

namespace util {

struct ListBoxModel {
    std::vector<std::string> lines;
    int listIndex = -1;  // the selected line, -1 for none
};

struct ProgressBarModel {
    int min = 0;
    int max = 100;
    int value = 0;
};

class frmDBPatchMainModel {
  public:
    enum class Control { List1, lv메세지, pg1, PB2, Labels, CheckBoxes, Window };

    // Window heights in twips: the normal one, and the one that shows the maintenance buttons.
    static constexpr int kNormalHeight = 5925;
    static constexpr int kRevealedHeight = 6615;

    std::string Caption = "하로나 데이타 패치 프로그램";
    std::string Label2;
    std::string Label3 = "패치할 데이터베이스 선택 및 진행상황";
    std::string Label4;
    std::string Label5 = "(株)Norvale";
    std::string Label6 = "▶ Database Patch List";
    std::string Label8[2] = {"진행 메시지", "패치할 데이타베이스"};
    std::string lab패치디비;
    std::string cmdStartCaption = std::string(11, ' ') + "데이타 패치 시작";
    bool chk매장 = true;
    bool chk보안 = false;
    bool picChk[3] = {false, false, false};  // picChk1..picChk3: check mark shown
    bool cmd종료Enabled = true;
    bool running = false;  // a run is in progress; a second start is ignored
    int Height = kNormalHeight;
    int revealCounter = 0;

    ListBoxModel List1;     // run list
    ListBoxModel lv메세지;  // message list
    ProgressBarModel pg1{0, 127, 0};
    ProgressBarModel PB2;

    // Appends a line and selects it (the list scrolls to it).
    void AddRunLine(const std::string& text) { AddLine(List1, text, true, Control::List1); }
    // Appends a line without selecting it.
    void AddRunLineUnselected(const std::string& text) {
        AddLine(List1, text, false, Control::List1);
    }
    void AddMessage(const std::string& text) { AddLine(lv메세지, text, true, Control::lv메세지); }
    void SetStep(int mark) {
        pg1.value = mark;
        Changed(Control::pg1);
    }
    void SetPB2(int max, int value) {
        PB2.max = max;
        PB2.value = value;
        Changed(Control::PB2);
    }
    // Observers (the Qt window, the terminal progress) are told what changed.
    void Observe(std::function<void(Control)> observer) {
        observers_.push_back(std::move(observer));
    }
    void Changed(Control c) const {
        for (const auto& o : observers_) o(c);
    }

  private:
    void AddLine(ListBoxModel& list, const std::string& text, bool select, Control c) {
        list.lines.push_back(text);
        if (select) list.listIndex = static_cast<int>(list.lines.size()) - 1;
        Changed(c);
    }
    std::vector<std::function<void(Control)>> observers_;
};

}  // namespace util
