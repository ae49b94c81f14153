// Built where Qt Core is available: the settings file must read the same to
// Qt's QSettings, which kept the remembered paths before.
#include <gtest/gtest.h>

#include <QSettings>
#include <QString>

#include "defaults/ini_settings.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

QString qt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TEST(IniSettings, ReadsAndWritesWhatQSettingsDoes) {
    const std::pair<std::string, std::string> entries[] = {
        {"corvane.configuration-path.OpenClaw（小龙虾）", "/home/u/配置/a b.json"},
        {"corvane.configuration-path.OpenCode Desktop", ""},
        {"at", "@String(x)"},
        {"spaces", " lead and trail "},
        {"separators", "semi;colon,comma=equals"},
        {"escapes",
         "quote\"back\\slash\ttab\nline\x01"
         "F\x7f"},
        {"a%c:d😀", "😀é"},
    };
    testing::TempHome home;
    const std::string file = (home.path() / "settings.conf").string();
    for (const auto& [key, value] : entries) {
        std::filesystem::remove(file);
        {
            QSettings settings(qt(file), QSettings::IniFormat);
            settings.setValue(qt("before"), qt("kept"));
            settings.setValue(qt(key), qt(value));
        }
        const std::string written = testing::readFile(file);
        EXPECT_EQ(iniValue(written, key), value) << key << "\n" << written;

        testing::writeFile(file,
                           withIniValue(withIniValue(written, key, std::nullopt), key, value));
        QSettings settings(qt(file), QSettings::IniFormat);
        EXPECT_EQ(settings.value(qt(key)).toString(), qt(value)) << key;
        EXPECT_EQ(settings.value(qt("before")).toString(), qt("kept")) << key;
    }
}

}  // namespace
}  // namespace corvane
