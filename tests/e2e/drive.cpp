// Drives the real windows of an interactive run, as a person would: waits for each message
// box or dialog named by a script line, works its controls and presses its button.
//   korvex-drive.exe SCRIPT
// Script lines ('#' starts a comment):
//   message|<title>|Yes            a message box titled <title>: press Yes, No or OK
//   dialog|<caption>|<c1>,<c2>|OK  a dialog: click the controls captioned c1, c2 (option
//                                  buttons, check boxes), then press the button captioned OK;
//                                  "Mira#3" is the third control captioned "Mira"
//   progress|<caption>|rising      the progress window captioned <caption>: watch its bar until
//                                  the window goes; done when the bar's position rose at least
//                                  three times while the window was visible
// Prints each step and exits 0 when every step was done, 1 when a window did not come.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::wstring TextOf(HWND window) {
    wchar_t buffer[512];
    const int length = GetWindowTextW(window, buffer, 512);
    return std::wstring(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
}

// Button captions compare without the '&' of their access key.
std::wstring WithoutAmpersand(std::wstring text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c != L'&') {
            out += c;
        }
    }
    return out;
}

struct Search {
    std::wstring caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    if (IsWindowVisible(window) && TextOf(window) == search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(const std::wstring& caption) {
    for (int tries = 0; tries < 600; ++tries) {
        Search search{caption, nullptr};
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            return search.found;
        }
        Sleep(100);
    }
    return nullptr;
}

struct Child {
    std::wstring text;
    int wanted = 1; // the n-th control with that caption
    HWND found = nullptr;
};

BOOL CALLBACK FindChild(HWND window, LPARAM parameter) {
    auto* child = reinterpret_cast<Child*>(parameter);
    if (WithoutAmpersand(TextOf(window)) == child->text && --child->wanted == 0) {
        child->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindControl(HWND dialog, const std::string& name) {
    std::string text = name;
    int wanted = 1;
    if (const auto hash = name.rfind('#'); hash != std::string::npos && hash + 1 < name.size()) {
        text = name.substr(0, hash);
        wanted = std::atoi(name.c_str() + hash + 1);
    }
    Child child{WithoutAmpersand(Widen(text)), wanted, nullptr};
    EnumChildWindows(dialog, FindChild, reinterpret_cast<LPARAM>(&child));
    return child.found;
}

bool WaitUntilClosed(HWND window) {
    for (int tries = 0; tries < 300 && IsWindow(window) && IsWindowVisible(window); ++tries) {
        Sleep(100);
    }
    return !IsWindow(window) || !IsWindowVisible(window);
}

// The progress bar's positions, read every 50 ms while the window is up; each new one printed.
bool WatchProgress(HWND window) {
    HWND bar = GetDlgItem(window, 101);
    if (bar == nullptr) {
        std::printf("  no progress bar\n");
        return false;
    }
    int rises = 0;
    LRESULT last = SendMessageW(bar, PBM_GETPOS, 0, 0);
    std::printf("  position %ld", static_cast<long>(last));
    for (int tries = 0; tries < 6000 && IsWindow(window) && IsWindowVisible(window); ++tries) {
        const LRESULT position = SendMessageW(bar, PBM_GETPOS, 0, 0);
        if (position < last) {
            std::printf("\n  the bar went back to %ld\n", static_cast<long>(position));
            return false;
        }
        if (position > last) {
            ++rises;
            std::printf(" %ld", static_cast<long>(position));
            last = position;
        }
        Sleep(50);
    }
    std::printf("\n  %d rises\n", rises);
    return rises >= 3;
}

bool Press(HWND window, const std::string& button) {
    HWND control = FindControl(window, button);
    if (control == nullptr) {
        std::printf("  no button \"%s\"\n", button.c_str());
        return false;
    }
    PostMessageW(control, BM_CLICK, 0, 0);
    return WaitUntilClosed(window);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvex-drive SCRIPT\n");
        return 2;
    }
    std::ifstream script(argv[1]);
    std::string line;
    while (std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::vector<std::string> parts = Split(line, '|');
        HWND window = parts.size() >= 3 ? WaitForWindow(Widen(parts[1])) : nullptr;
        if (window == nullptr) {
            std::printf("not found: %s\n", line.c_str());
            return 1;
        }
        bool done = false;
        if (parts[0] == "progress" && parts.size() == 3) {
            done = WatchProgress(window);
        } else if (parts[0] == "message" && parts.size() == 3) {
            done = Press(window, parts[2]);
        } else if (parts[0] == "dialog" && parts.size() == 4) {
            done = true;
            if (!parts[2].empty()) {
                for (const std::string& name : Split(parts[2], ',')) {
                    HWND control = FindControl(window, name);
                    if (control == nullptr) {
                        std::printf("  no control \"%s\"\n", name.c_str());
                        done = false;
                        break;
                    }
                    SendMessageW(control, BM_CLICK, 0, 0);
                }
            }
            done = done && Press(window, parts[3]);
        }
        std::printf("%s: %s\n", done ? "done" : "FAILED", line.c_str());
        std::fflush(stdout);
        if (!done) {
            return 1;
        }
    }
    return 0;
}
