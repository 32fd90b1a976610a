// The host's window identities, tab geometry and memory layout, read from the definitions file "TWKdef.ini".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace twk {

class ProfileFile;

// Field j of host record i lies at startPtr + i * nextStep + stepOffsets[j] (unsigned 32-bit arithmetic).
constexpr int kStepCount = 8;

struct LayoutDefinitions {
    std::uint32_t stepOffsets[kStepCount] = {0, 0x400, 0x800, 0x1000, 0x1400, 0x1800, 0x2000, 0x2400};
    std::uint32_t nextStep = 0x2800;
    std::int32_t maxItem = 1000;
    std::vector<std::string> fileStates;  // status words taken into a file list
    std::vector<std::string> bbsStates;   // status words taken into the BBS list
    std::int32_t tabSearch = 4;
    std::int32_t tabDownList = 5;
    std::int32_t tabIgnoreList = 6;
    std::int32_t btnReload = 4;
    std::int32_t tabBbs = 3;
    std::int32_t tabWidth = 90;
    std::int32_t tabHeight = 30;
    std::int32_t menuId = 156;
    std::string vobraTitle = "Vobra v";
    std::string vobraClass = "#32770";
    std::string buttonTitle = "検索";
    std::string buttonClass = "Button";
    std::string comboTitle;
    std::string comboClass = "ComboBox";
    std::int32_t comboFile = 0;
    std::int32_t comboBbs = 2;
    std::uint32_t startPtr = 0;  // not in the file: 0 until the result reader knows it

    std::uint32_t fieldAddress(std::uint32_t record, int field) const {
        return startPtr + record * nextStep + stepOffsets[field];
    }
};

// Fills every field but startPtr from the definitions file; missing keys (or a missing file) keep the
// defaults. An empty string value also means the default.
void loadLayoutDefinitions(const ProfileFile& file, LayoutDefinitions& definitions);

// The keys of the definitions file in the order they are read: "Step0" to "Step7", then the rest; a list of
// numbered keys as its pattern ("State%2.2d").
std::vector<std::string> layoutDefinitionKeys();

}  // namespace twk
