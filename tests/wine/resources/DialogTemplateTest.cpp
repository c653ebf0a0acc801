// The four dialog templates decoded from their resources: header, font and every control's id,
// class, text, rectangle, styles and help id, in template order.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "ExpectedDialogs.h"
#include "ResourceReader.h"

namespace {

// The system classes are stored as ordinals, as a dialog template names them.
std::wstring ClassName(const SzOrOrd& cls) {
    if (!cls.bOrdinal) {
        return cls.sz;
    }
    switch (cls.nOrdinal) {
        case 0x0080:
            return L"Button";
        case 0x0081:
            return L"Edit";
        case 0x0082:
            return L"Static";
        case 0x0083:
            return L"ListBox";
        case 0x0084:
            return L"ScrollBar";
        case 0x0085:
            return L"ComboBox";
        default:
            return L"#" + std::to_wstring(cls.nOrdinal);
    }
}

std::wstring Text(const SzOrOrd& text) {
    return text.bOrdinal ? L"#" + std::to_wstring(text.nOrdinal) : text.sz;
}

bool IsSystemClass(const wchar_t* name) {
    for (const wchar_t* system :
         {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"}) {
        if (std::wstring(system) == name) {
            return true;
        }
    }
    return false;
}

class DialogTemplateTest : public testing::TestWithParam<DialogCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(ReadDialogTemplate(GetParam().nId, &m_dlg))
            << "template " << GetParam().nId << " missing or malformed";
        ASSERT_EQ(GetParam().nRows, m_dlg.items.size());
    }

    const ControlRow& Row(size_t i) const { return GetParam().rows[i]; }

    DialogTemplate m_dlg;
};

TEST_P(DialogTemplateTest, HeaderMatches) {
    EXPECT_EQ(0u, m_dlg.nHelpId);
    EXPECT_EQ(GetParam().dwStyle, m_dlg.dwStyle) << std::hex << m_dlg.dwStyle;
    EXPECT_EQ(GetParam().dwExStyle, m_dlg.dwExStyle) << std::hex << m_dlg.dwExStyle;
    EXPECT_EQ(0, m_dlg.x);
    EXPECT_EQ(0, m_dlg.y);
    EXPECT_EQ(GetParam().cx, m_dlg.cx);
    EXPECT_EQ(GetParam().cy, m_dlg.cy);
    EXPECT_TRUE(!m_dlg.menu.bOrdinal && m_dlg.menu.sz.empty())
        << "menu " << Printable(Text(m_dlg.menu));
    EXPECT_TRUE(!m_dlg.cls.bOrdinal && m_dlg.cls.sz.empty())
        << "class " << Printable(Text(m_dlg.cls));
    EXPECT_EQ(GetParam().title, m_dlg.title);
}

TEST_P(DialogTemplateTest, FontIsShellDialogEightPoint) {
    EXPECT_EQ(8, m_dlg.nPointSize);
    EXPECT_EQ(GetParam().nWeight, m_dlg.nWeight);
    EXPECT_EQ(0, m_dlg.bItalic);
    EXPECT_EQ(DEFAULT_CHARSET, m_dlg.nCharSet);
    EXPECT_EQ(L"MS Shell Dlg", m_dlg.typeface);
}

TEST_P(DialogTemplateTest, ControlIdsInTabOrder) {
    for (size_t i = 0; i < m_dlg.items.size(); ++i) {
        EXPECT_EQ(Row(i).nId, static_cast<int>(m_dlg.items[i].nId)) << "control #" << i + 1;
    }
}

TEST_P(DialogTemplateTest, ControlClasses) {
    for (size_t i = 0; i < m_dlg.items.size(); ++i) {
        std::wstring actual = ClassName(m_dlg.items[i].cls);
        if (IsSystemClass(Row(i).cls)) {
            EXPECT_EQ(Row(i).cls, actual) << "control #" << i + 1 << " id " << Row(i).nId;
        } else {
            // windres stores a class name in capitals; class names compare without case.
            EXPECT_EQ(0, lstrcmpiW(Row(i).cls, actual.c_str()))
                << "control #" << i + 1 << " id " << Row(i).nId << ": " << Printable(actual);
        }
    }
}

TEST_P(DialogTemplateTest, ControlTexts) {
    for (size_t i = 0; i < m_dlg.items.size(); ++i) {
        EXPECT_EQ(Row(i).text, Text(m_dlg.items[i].text))
            << "control #" << i + 1 << " id " << Row(i).nId;
    }
}

TEST_P(DialogTemplateTest, ControlRectangles) {
    for (size_t i = 0; i < m_dlg.items.size(); ++i) {
        const DialogItem& item = m_dlg.items[i];
        EXPECT_TRUE(Row(i).x == item.x && Row(i).y == item.y && Row(i).cx == item.cx &&
                    Row(i).cy == item.cy)
            << "control #" << i + 1 << " id " << Row(i).nId << ": " << item.x << ", " << item.y
            << ", " << item.cx << ", " << item.cy;
    }
}

TEST_P(DialogTemplateTest, ControlStyles) {
    for (size_t i = 0; i < m_dlg.items.size(); ++i) {
        EXPECT_EQ(Row(i).dwStyle, m_dlg.items[i].dwStyle)
            << std::hex << "control #" << std::dec << i + 1 << " id " << Row(i).nId << std::hex
            << ": 0x" << m_dlg.items[i].dwStyle;
    }
}

TEST_P(DialogTemplateTest, ControlExStylesWithoutHelpIdsOrCreationData) {
    for (size_t i = 0; i < m_dlg.items.size(); ++i) {
        const DialogItem& item = m_dlg.items[i];
        EXPECT_EQ(Row(i).dwExStyle, item.dwExStyle)
            << "control #" << i + 1 << " id " << Row(i).nId << std::hex << ": 0x" << item.dwExStyle;
        EXPECT_EQ(0u, item.nHelpId) << "control #" << i + 1;
        EXPECT_EQ(0, item.cbExtra) << "control #" << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, DialogTemplateTest, testing::ValuesIn(kDialogs),
                         [](const testing::TestParamInfo<DialogCase>& info) {
                             return std::string(info.param.name) + std::to_string(info.param.nId);
                         });

TEST(DialogTemplates, EveryTemplateIsLanguageNeutral) {
    for (const DialogCase& dlg : kDialogs) {
        std::set<LANGID> langs = ResourceLanguages(MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(dlg.nId));
        EXPECT_EQ(std::set<LANGID>{0}, langs)
            << "template " << dlg.nId << " in " << langs.size() << " languages";
    }
}

}  // namespace
