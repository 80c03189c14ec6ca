// The application's icon resource (this test links ui/shell/VelmoraIcon.rc
// as the executable does).

#include "ui/shell/ApplicationIcon.h"
#include "ui/shell/VelmoraIcon.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

using namespace ui;

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

TEST(ApplicationIconTest, MainIconHas32And16PixelsIn16Colours)
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(MAINICON), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_NE(found, nullptr);
    const auto* header = static_cast<const GroupIconHeader*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(header->count, 2);
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
    std::set<std::pair<int, int>> images;
    for (int i = 0; i < header->count; ++i) {
        images.insert({entries[i].width, entries[i].bitCount});
    }
    EXPECT_EQ(images, (std::set<std::pair<int, int>>{{16, 4}, {32, 4}}));
}

TEST(ApplicationIconTest, ApplicationIconIsOurs)
{
    HICON icon = ApplicationIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(MAINICON)));
    EXPECT_NE(icon, LoadIconW(nullptr, IDI_APPLICATION));
}

}  // namespace
