// Real dialogs created from templates 187 and 136, as the program creates them: the child
// windows that come out, in order, with their ids, classes, styles, texts and places.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ExpectedDialogs.h"
#include "ResourceReader.h"

namespace {

INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Style bits a control's own window procedure changes at creation: a combo box hands its
// scroll bar to its drop-down list.
DWORD BitsTheSystemChanges(const std::wstring& cls) {
    return lstrcmpiW(cls.c_str(), L"ComboBox") == 0 ? WS_VSCROLL : 0;
}

// The dialog manager creates every control with this extended style.
DWORD ExBitsTheSystemAdds() {
    return WS_EX_NOPARENTNOTIFY;
}

std::wstring WindowText(HWND hwnd) {
    std::vector<wchar_t> buf(1024, L'\x7F');
    int len = GetWindowTextW(hwnd, buf.data(), static_cast<int>(buf.size()));
    return std::wstring(buf.data(), len > 0 ? len : 0);
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t buf[256] = L"";
    GetClassNameW(hwnd, buf, 256);
    return buf;
}

class DialogWindowTest : public testing::TestWithParam<DialogCase> {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
    }

    void SetUp() override {
        m_hDlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(GetParam().nId),
                                    nullptr, InertDialogProc, 0);
        ASSERT_NE(nullptr, m_hDlg) << "error " << GetLastError();
        for (HWND h = GetWindow(m_hDlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            m_children.push_back(h);
        }
        ASSERT_EQ(GetParam().nRows, m_children.size());
    }

    void TearDown() override {
        if (m_hDlg) {
            DestroyWindow(m_hDlg);
        }
    }

    const ControlRow& Row(size_t i) const { return GetParam().rows[i]; }

    HWND m_hDlg = nullptr;
    std::vector<HWND> m_children;
};

TEST_P(DialogWindowTest, ControlIdsInTabOrder) {
    for (size_t i = 0; i < m_children.size(); ++i) {
        EXPECT_EQ(Row(i).nId, GetDlgCtrlID(m_children[i])) << "control #" << i + 1;
    }
}

TEST_P(DialogWindowTest, ControlClasses) {
    for (size_t i = 0; i < m_children.size(); ++i) {
        std::wstring cls = ClassOf(m_children[i]);
        EXPECT_EQ(0, lstrcmpiW(Row(i).cls, cls.c_str()))
            << "control #" << i + 1 << " id " << Row(i).nId << ": " << Printable(cls);
    }
}

TEST_P(DialogWindowTest, ControlStyles) {
    for (size_t i = 0; i < m_children.size(); ++i) {
        DWORD style = static_cast<DWORD>(GetWindowLongW(m_children[i], GWL_STYLE));
        DWORD changed = BitsTheSystemChanges(Row(i).cls);
        EXPECT_EQ(Row(i).dwStyle & ~changed, style & ~changed)
            << "control #" << i + 1 << " id " << Row(i).nId << std::hex << ": 0x" << style;
    }
}

TEST_P(DialogWindowTest, ControlExStyles) {
    for (size_t i = 0; i < m_children.size(); ++i) {
        DWORD exStyle = static_cast<DWORD>(GetWindowLongW(m_children[i], GWL_EXSTYLE));
        EXPECT_EQ(Row(i).dwExStyle, exStyle & ~ExBitsTheSystemAdds())
            << "control #" << i + 1 << " id " << Row(i).nId << std::hex << ": 0x" << exStyle;
    }
}

TEST_P(DialogWindowTest, ControlTexts) {
    for (size_t i = 0; i < m_children.size(); ++i) {
        EXPECT_EQ(Row(i).text, WindowText(m_children[i]))
            << "control #" << i + 1 << " id " << Row(i).nId;
    }
}

// The dialog converts the position and the size each on its own, so both are mapped as they
// stand. Combo boxes size themselves to their edit field: their height does not count.
TEST_P(DialogWindowTest, ControlsSitWhereTheTemplatePutsThem) {
    for (size_t i = 0; i < m_children.size(); ++i) {
        RECT expected = {Row(i).x, Row(i).y, Row(i).cx, Row(i).cy};
        ASSERT_TRUE(MapDialogRect(m_hDlg, &expected));
        RECT actual;
        GetWindowRect(m_children[i], &actual);
        MapWindowPoints(nullptr, m_hDlg, reinterpret_cast<POINT*>(&actual), 2);
        actual.right -= actual.left;
        actual.bottom -= actual.top;
        if (lstrcmpiW(Row(i).cls, L"ComboBox") == 0) {
            expected.bottom = actual.bottom;
        }
        EXPECT_TRUE(EqualRect(&expected, &actual))
            << "control #" << i + 1 << " id " << Row(i).nId << ": at " << actual.left << ", "
            << actual.top << " size " << actual.right << " x " << actual.bottom << " instead of "
            << expected.left << ", " << expected.top << " size " << expected.right << " x "
            << expected.bottom;
    }
}

TEST_P(DialogWindowTest, WindowTakesTheTemplateTitleAndStyles) {
    EXPECT_EQ(GetParam().title, WindowText(m_hDlg));
    DWORD style = static_cast<DWORD>(GetWindowLongW(m_hDlg, GWL_STYLE));
    DWORD topLevel = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(GetParam().dwStyle & topLevel, style & topLevel) << std::hex << "0x" << style;
    DWORD exStyle = static_cast<DWORD>(GetWindowLongW(m_hDlg, GWL_EXSTYLE));
    EXPECT_EQ(GetParam().dwExStyle & WS_EX_APPWINDOW, exStyle & WS_EX_APPWINDOW)
        << std::hex << "0x" << exStyle;
}

// Only the two dialogs the program creates.
INSTANTIATE_TEST_SUITE_P(Templates, DialogWindowTest, testing::Values(kDialogs[0], kDialogs[1]),
                         [](const testing::TestParamInfo<DialogCase>& info) {
                             return std::string(info.param.name) + std::to_string(info.param.nId);
                         });

}  // namespace
