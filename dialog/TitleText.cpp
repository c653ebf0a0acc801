#include "dialog/TitleText.h"

#include "framework/AppStrings.h"
#include "res/resource.h"
#include "text/TextFormat.h"
#include "text/WideText.h"

std::wstring GetTitleText() {
    std::wstring text;
    if (!LoadStringText(IDS_STR_TITLE, text) || text.empty())
        return std::wstring();
    return ToWide(ReplaceAll(ToU16(text), u"__MODEL__", MODEL_STRING));
}
