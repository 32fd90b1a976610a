#include "host/layout_definitions.h"

#include <cstdio>

#include "settings/profile_file.h"

namespace twk {

namespace {

enum class Form { Unsigned, Signed, Text, TextList };

// One key of the definitions file and the field it fills; the field's initial value is its default.
struct DefinitionKey {
    const char* name;  // a TextList key is a pattern with one "%2.2d"
    Form form;
    std::uint32_t LayoutDefinitions::*unsignedField;
    std::int32_t LayoutDefinitions::*signedField;
    std::string LayoutDefinitions::*textField;
    std::vector<std::string> LayoutDefinitions::*listField;
};

constexpr DefinitionKey u(const char* name, std::uint32_t LayoutDefinitions::*f) {
    return {name, Form::Unsigned, f, nullptr, nullptr, nullptr};
}
constexpr DefinitionKey s(const char* name, std::int32_t LayoutDefinitions::*f) {
    return {name, Form::Signed, nullptr, f, nullptr, nullptr};
}
constexpr DefinitionKey t(const char* name, std::string LayoutDefinitions::*f) {
    return {name, Form::Text, nullptr, nullptr, f, nullptr};
}
constexpr DefinitionKey l(const char* name, std::vector<std::string> LayoutDefinitions::*f) {
    return {name, Form::TextList, nullptr, nullptr, nullptr, f};
}

using L = LayoutDefinitions;

// In the order they are read. The step offsets are array elements and are read separately, first.
const DefinitionKey kDefinitionKeys[] = {
    u("NextStep", &L::nextStep),
    l("State%2.2d", &L::fileStates),
    l("BbsState%2.2d", &L::bbsStates),
    s("MaxItem", &L::maxItem),
    s("TabSearch", &L::tabSearch),
    s("TabDownList", &L::tabDownList),
    s("TabIgnoreList", &L::tabIgnoreList),
    s("BtnReload", &L::btnReload),
    s("TabBbs", &L::tabBbs),
    s("TabWidth", &L::tabWidth),
    s("TabHeight", &L::tabHeight),
    s("MenuId", &L::menuId),
    t("VobraTitle", &L::vobraTitle),
    t("VobraClass", &L::vobraClass),
    t("ButtonTitle", &L::buttonTitle),
    t("ButtonClass", &L::buttonClass),
    t("ComboTitle", &L::comboTitle),
    t("ComboClass", &L::comboClass),
    s("ComboFile", &L::comboFile),
    s("ComboBbs", &L::comboBbs),
};

const char* const kStepKeyPattern = "Step%d";

// Reads key names n = 0, 1, 2 ... of the pattern and stops at the first missing or empty one.
std::vector<std::string> readTextList(const ProfileFile& file, const char* pattern) {
    std::vector<std::string> words;
    for (long n = 0;; ++n) {
        char key[64];
        std::snprintf(key, sizeof key, pattern, static_cast<int>(n));
        std::string word = file.textOr(kProfileSection, key, "");
        if (word.empty()) break;
        words.push_back(std::move(word));
    }
    return words;
}

}  // namespace

void loadLayoutDefinitions(const ProfileFile& file, LayoutDefinitions& definitions) {
    const std::uint32_t startPtr = definitions.startPtr;
    definitions = LayoutDefinitions();
    definitions.startPtr = startPtr;
    for (int j = 0; j < kStepCount; ++j) {
        char key[16];
        std::snprintf(key, sizeof key, kStepKeyPattern, j);
        definitions.stepOffsets[j] = file.numberOr(kProfileSection, key, definitions.stepOffsets[j]);
    }
    for (const DefinitionKey& k : kDefinitionKeys) {
        switch (k.form) {
            case Form::Unsigned:
                definitions.*k.unsignedField =
                    file.numberOr(kProfileSection, k.name, definitions.*k.unsignedField);
                break;
            case Form::Signed:
                definitions.*k.signedField = file.intOr(kProfileSection, k.name, definitions.*k.signedField);
                break;
            case Form::Text: {
                std::string& field = definitions.*k.textField;
                field = file.textOr(kProfileSection, k.name, field.c_str());
                break;
            }
            case Form::TextList:
                definitions.*k.listField = readTextList(file, k.name);
                break;
        }
    }
}

std::vector<std::string> layoutDefinitionKeys() {
    std::vector<std::string> keys;
    for (int j = 0; j < kStepCount; ++j) {
        char key[16];
        std::snprintf(key, sizeof key, kStepKeyPattern, j);
        keys.push_back(key);
    }
    for (const DefinitionKey& k : kDefinitionKeys) keys.push_back(k.name);
    return keys;
}

}  // namespace twk
