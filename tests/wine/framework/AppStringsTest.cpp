// String loading and the application message box, answered from a helper thread as a user
// would answer it.
#include <gtest/gtest.h>

#include "framework/AppStrings.h"
#include "framework/Dialog.h"
#include "tests/wine/framework/FrameworkTestRes.h"
#include "tests/wine/support/DialogScript.h"
#include "tests/wine/support/MessageBoxWatcher.h"

using kptest::MessageBoxWatcher;
using kptest::SeenMessageBox;

namespace {

TEST(LoadStringText, LoadsTheWholeText) {
    std::wstring text = L"sentinel";
    EXPECT_TRUE(LoadStringText(IDS_FW_MESSAGE, text));
    EXPECT_EQ(L"Framework test message.", text);
    EXPECT_TRUE(LoadStringText(IDS_FW_LONG, text));
    EXPECT_EQ(static_cast<size_t>(FW_LONG_LENGTH), text.size());
    EXPECT_EQ(L"0000:ABC", text.substr(0, 8));
    EXPECT_EQ(L"0019:ABCDEFGHIJKLMNOPQRSTUVWXYZ ", text.substr(text.size() - 32));
}

TEST(LoadStringText, EmptyEntryLoadsAsEmptyText) {
    std::wstring text = L"sentinel";
    EXPECT_TRUE(LoadStringText(IDS_FW_EMPTY, text));
    EXPECT_EQ(L"", text);
    text = L"sentinel";
    EXPECT_TRUE(LoadStringText(IDS_FW_UNDEFINED_IN_BLOCK, text))
        << "the table cannot tell it from an empty entry";
    EXPECT_EQ(L"", text);
}

TEST(LoadStringText, MissingStringFailsWithEmptyText) {
    std::wstring text = L"sentinel";
    EXPECT_FALSE(LoadStringText(IDS_FW_NO_BLOCK, text));
    EXPECT_EQ(L"", text);
}

TEST(LoadStringText, ApplicationTitleIsOneBlank) {
    std::wstring text;
    EXPECT_TRUE(LoadStringText(kAppTitleStringId, text));
    EXPECT_EQ(L" ", text);
}

TEST(AppMessageBox, OKBoxShowsTheStringWithTitleAndExclamationMark) {
    MessageBoxWatcher watcher(IDOK);
    const int nResult = AppMessageBox(IDS_FW_MESSAGE);
    SeenMessageBox box = watcher.Wait();
    ASSERT_TRUE(box.bFound);
    EXPECT_TRUE(box.bAnswered);
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(L" ", box.caption);
    EXPECT_EQ(L"Framework test message.", box.text);
    EXPECT_EQ(::LoadIconW(nullptr, IDI_EXCLAMATION), box.hIcon);
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
}

TEST(AppMessageBox, YesNoBoxShowsTheQuestionMarkAndReturnsTheAnswer) {
    for (int nAnswer : {IDYES, IDNO}) {
        MessageBoxWatcher watcher(nAnswer);
        const int nResult = AppMessageBox(IDS_FW_QUESTION, MB_YESNO);
        SeenMessageBox box = watcher.Wait();
        ASSERT_TRUE(box.bFound) << "answer " << nAnswer;
        EXPECT_EQ(nAnswer, nResult);
        EXPECT_EQ(L" ", box.caption);
        EXPECT_EQ(L"Framework test question?", box.text);
        EXPECT_EQ(::LoadIconW(nullptr, IDI_QUESTION), box.hIcon);
        EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
    }
}

TEST(AppMessageBox, IconNamedByTheCallerIsKept) {
    MessageBoxWatcher watcher(IDOK);
    AppMessageBox(IDS_FW_MESSAGE, MB_OK | MB_ICONINFORMATION);
    SeenMessageBox box = watcher.Wait();
    ASSERT_TRUE(box.bFound);
    EXPECT_EQ(::LoadIconW(nullptr, IDI_INFORMATION), box.hIcon);
}

class CBoxOwnerDlg : public CDialog {
public:
    CBoxOwnerDlg() : CDialog(IDD_FW_TEST) {}
};

TEST(AppMessageBox, BoxIsOwnedByTheRunningDialog) {
    kptest::RegisterControlClasses();
    CBoxOwnerDlg dlg;
    SeenMessageBox box;
    int nResult = 0;
    HWND hDlg = nullptr;
    kptest::RunModalScript(dlg, {kptest::Do([&] {
                               hDlg = dlg.m_hWnd;
                               MessageBoxWatcher watcher(IDOK);
                               nResult = AppMessageBox(IDS_FW_MESSAGE);
                               box = watcher.Wait();
                               dlg.EndDialog(IDOK);
                           })});
    EXPECT_TRUE(box.bFound);
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(hDlg, box.hOwner);
}

}  // namespace
