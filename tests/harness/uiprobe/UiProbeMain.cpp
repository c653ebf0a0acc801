// uiprobe: drives a dialog program as a user would, for the end-to-end tests. It reads one
// command a line on stdin (UTF-8) and answers each with one line on stdout: "ok ..." or
// "err REASON". Texts in answers escape backslash, tab, CR and LF as \\ \t \r \n.
//
//   run CMDLINE            start a program                              -> ok PID
//   wait MS TITLE          wait for a visible top-level window titled exactly TITLE; it becomes
//                          the current dialog and its thread is hooked  -> ok HWND
//   gone MS                wait until the current dialog is destroyed   -> ok
//   exit MS                wait for the started program to end          -> ok EXITCODE
//   kill                   end the started program                      -> ok
//   idle [MS]              wait until the dialog's thread has taken every message posted so far
//   text ID                a control's text (ID 0: the dialog's title)  -> ok TEXT
//   state ID               -> ok enabled=E visible=V checked=C focused=F class=CLASS
//   combo ID               -> ok SEL COUNT DROPPED{\tDATA\tTEXT}
//   slider ID              -> ok MIN MAX POS tics=T,T,.. ticpos=P,P,..
//   rect ID                window rectangle, screen coordinates      -> ok LEFT TOP RIGHT BOTTOM
//   focus ID               give a control the focus
//   click ID               press a button (refused when a user could not: disabled, hidden)
//   slide ID POS           drag the slider's thumb to POS
//   pick ID DATA           choose the combo item whose item data is DATA
//   key NAME [ID]          enter, escape, tab or space to the focus (or to control ID)
//   drop ID 1|0            open or close a combo box's list (CB_SHOWDROPDOWN)
//   front                  whether the dialog is the foreground window  -> ok 1|0
//   wheel ID DELTA         mouse wheel on a control, DELTA in notches (+ away from the user)
//   msgbox MS              wait for a message box of the dialog's thread
//                          -> ok CAPTION\tTEXT\tICON\tID:TEXT,ID:TEXT
//   answer ID [MS]         press a message box button and wait for the box to go
//   shot FILE [box]        PNG of the dialog (or of the message box), drawn with WM_PRINT
//   paint                  repaint the dialog now, frame and children included, so that a
//                          real display (Xvfb) shows all of it for a capture of the screen
//   (any ID may be #N: the template's Nth control, for controls without an id)
//   quit                   (a program it started and that still runs is ended)
// Every command that posts input waits until the dialog's thread has taken it (idle).
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "tests/harness/uiprobe/UiProbe.h"

namespace uiprobe {

bool Probe::Run(const std::string& line, std::string& answer) {
    std::string command = line, rest;
    size_t space = line.find(' ');
    if (space != std::string::npos) {
        command = line.substr(0, space);
        rest = line.substr(space + 1);
    }
    std::vector<std::string> args = Split(rest);
    answer = "ok";
    if (command == "quit")
        return false;
    if (command == "run") {
        answer += " " + std::to_string(Start(rest));
    } else if (command == "wait") {
        size_t sep = rest.find(' ');
        if (sep == std::string::npos)
            throw Fail("wait MS TITLE");
        answer += " " + Hex(reinterpret_cast<uintptr_t>(
                            WaitTitle(ToLong(rest.substr(0, sep)), Wide(rest.substr(sep + 1)))));
    } else if (command == "gone") {
        Need(args, 1);
        WaitGone(Dialog(), ToLong(args[0]));
    } else if (command == "exit") {
        Need(args, 1);
        answer += " " + std::to_string(WaitExit(ToLong(args[0])));
    } else if (command == "kill") {
        if (m_hProcess)
            TerminateProcess(m_hProcess, 255);
    } else if (command == "idle") {
        Idle(args.empty() ? kIdleTimeout : ToLong(args[0]));
    } else if (command == "text") {
        Need(args, 1);
        answer += " " + Escape(WindowText(Control(args[0])));
    } else if (command == "state") {
        Need(args, 1);
        answer += " " + State(Control(args[0]));
    } else if (command == "combo") {
        Need(args, 1);
        answer += " " + Combo(Control(args[0]));
    } else if (command == "slider") {
        Need(args, 1);
        answer += " " + Slider(Control(args[0]));
    } else if (command == "rect") {
        Need(args, 1);
        RECT rc;
        GetWindowRect(Control(args[0]), &rc);
        answer += " " + std::to_string(rc.left) + " " + std::to_string(rc.top) + " " +
                  std::to_string(rc.right) + " " + std::to_string(rc.bottom);
    } else if (command == "focus") {
        Need(args, 1);
        Focus(Usable(Control(args[0])));
        Idle(kIdleTimeout);
    } else if (command == "click") {
        Need(args, 1);
        Click(Control(args[0]));
    } else if (command == "slide") {
        Need(args, 2);
        Slide(Control(args[0]), ToLong(args[1]));
    } else if (command == "pick") {
        Need(args, 2);
        Pick(Control(args[0]), ToLong(args[1]));
    } else if (command == "key") {
        if (args.empty())
            throw Fail("key NAME [ID]");
        Key(args[0], args.size() > 1 ? Control(args[1]) : NULL);
    } else if (command == "drop") {
        Need(args, 2);
        HWND hCombo = Usable(Control(args[0]));
        Focus(hCombo);
        Post(hCombo, CB_SHOWDROPDOWN, args[1] == "1" ? TRUE : FALSE, 0);
        Idle(kIdleTimeout);
    } else if (command == "front") {
        answer += GetForegroundWindow() == Dialog() ? " 1" : " 0";
    } else if (command == "wheel") {
        Need(args, 2);
        Wheel(Control(args[0]), ToLong(args[1]));
    } else if (command == "msgbox") {
        Need(args, 1);
        answer += " " + MessageBoxInfo(ToLong(args[0]));
    } else if (command == "answer") {
        if (args.empty())
            throw Fail("answer ID [MS]");
        Answer(ToLong(args[0]), args.size() > 1 ? ToLong(args[1]) : kIdleTimeout);
    } else if (command == "paint") {
        Ask(m_nPaint, reinterpret_cast<WPARAM>(Dialog()), kIdleTimeout);
    } else if (command == "shot") {
        if (args.empty())
            throw Fail("shot FILE [box]");
        Shot(args[0], args.size() > 1 && args[1] == "box");
    } else {
        throw Fail("unknown command '" + command + "'");
    }
    return true;
}

std::vector<std::string> Probe::Split(const std::string& s) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < s.size()) {
        size_t j = s.find(' ', i);
        if (j == std::string::npos)
            j = s.size();
        if (j > i)
            words.push_back(s.substr(i, j - i));
        i = j + 1;
    }
    return words;
}

void Probe::Need(const std::vector<std::string>& args, size_t n) {
    if (args.size() != n)
        throw Fail("expected " + std::to_string(n) + " arguments");
}

std::string Probe::Hex(uintptr_t n) {
    char sz[24];
    std::snprintf(sz, sizeof sz, "0x%lx", static_cast<unsigned long>(n));
    return sz;
}

}  // namespace uiprobe

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    uiprobe::Probe probe;
    char szLine[4096];
    while (std::fgets(szLine, sizeof szLine, stdin)) {
        std::string line = szLine;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (line.empty())
            continue;
        std::string answer;
        bool bGoOn = true;
        try {
            bGoOn = probe.Run(line, answer);
        } catch (const uiprobe::Fail& fail) {
            answer = "err " + fail.Text();
        }
        std::fputs(answer.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        if (!bGoOn)
            break;
    }
    return 0;
}
