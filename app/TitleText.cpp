#include "app/TitleText.h"

#include "framework/AppStrings.h"
#include "res/resource.h"
#include "text/TextFormat.h"

std::wstring GetTitleText() {
    std::wstring text;
    if (!LoadStringText(IDS_STR_TITLE, text) || text.empty())
        return std::wstring();
    std::u16string title =
        ReplaceAll(std::u16string(text.begin(), text.end()), u"__MODEL__", MODEL_STRING);
    return std::wstring(title.begin(), title.end());
}
