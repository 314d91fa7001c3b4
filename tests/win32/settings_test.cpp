// The per-saver settings store against Wine's real registry.
#include <windows.h>
#include <gtest/gtest.h>
#include <string.h>

#include "host/saver_host.h"
#include "host/settings.h"
#include "tests/robot/robot.h"

namespace {

const char* kKey = "Software\\Palvane\\Settings Test Saver";

void UseSaver(const char* name) {
    strcpy(host.saverName, name);
}

struct SettingsTest : testing::Test {
    void SetUp() override {
        RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
        UseSaver("Settings Test Saver");
    }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
};

} // namespace

TEST_F(SettingsTest, ReadingGivesDefaultsAndNeverCreatesTheKey) {
    EXPECT_EQ(20, GetSettingInt("latitude", 20));
    EXPECT_FALSE(GetSettingBool("ChangeScreenMode", false));
    EXPECT_TRUE(GetSettingBool("ChangeScreenMode", true));
    EXPECT_FALSE(robot::KeyExists(HKEY_CURRENT_USER, kKey));
}

TEST_F(SettingsTest, IntegersAndBooleansAreFourByteDwords) {
    SetSettingBool("ChangeScreenMode", true);
    SetSettingInt("latitude", -85);
    ASSERT_TRUE(robot::KeyExists(HKEY_CURRENT_USER, kKey));
    DWORD type = 0, value = 0, size = sizeof value;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, kKey, "ChangeScreenMode", RRF_RT_ANY,
                                          &type, &value, &size));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ(4u, size);
    EXPECT_EQ(1u, value);
    EXPECT_TRUE(GetSettingBool("ChangeScreenMode", false));
    EXPECT_EQ(-85, GetSettingInt("latitude", 20));
    SetSettingBool("ChangeScreenMode", false);
    EXPECT_FALSE(GetSettingBool("ChangeScreenMode", true));
}

TEST_F(SettingsTest, ForeignValuesReadAsTheirContentOrTheDefault) {
    DWORD five = 5;
    SetSettingRaw("ChangeScreenMode", REG_DWORD, &five, 4);
    EXPECT_TRUE(GetSettingBool("ChangeScreenMode", false));
    SetSettingRaw("latitude", REG_SZ, "abcd", 5); // too big for four bytes
    EXPECT_EQ(20, GetSettingInt("latitude", 20));
    unsigned char two[2] = {7, 0};
    SetSettingRaw("longitude", REG_BINARY, two, 2); // short: the high bytes read as zero
    EXPECT_EQ(7, GetSettingInt("longitude", 0));
}

TEST_F(SettingsTest, EachSaverNameHasItsOwnKey) {
    SetSettingInt("latitude", 33);
    UseSaver("Settings Test Other Saver");
    EXPECT_EQ(20, GetSettingInt("latitude", 20));
    SetSettingInt("latitude", 44);
    UseSaver("Settings Test Saver");
    EXPECT_EQ(33, GetSettingInt("latitude", 20));
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Palvane\\Settings Test Other Saver");
}
