#include <gtest/gtest.h>

#include "support/catalogue_text.h"
#include "support/run_program.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::en;
using testing::ProgramResult;
using testing::ProgramRun;
using testing::zh;

enum class Expect { chinese, english };

TEST(CommandLineLanguage, FollowsTheEnvironmentUnlessLangChoosesOne) {
    struct Case {
        std::map<std::string, std::optional<std::string>> environment;
        std::vector<std::string> flags;
        Expect expected;
    };
    const Case cases[] = {
        {{{"LANG", "en_US.UTF-8"}}, {}, Expect::english},
        {{{"LANG", "zh_CN.UTF-8"}}, {}, Expect::chinese},
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "fr:en:zh"}}, {}, Expect::english},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "zh_TW"}}, {}, Expect::chinese},
        {{{"LANG", "de_DE.UTF-8"}}, {}, Expect::chinese},
        // The C locale gets the product's own language, LANGUAGE or not.
        {{{"LC_ALL", "C"}, {"LANGUAGE", "en"}}, {}, Expect::chinese},
        {{{"LANG", "zh_CN.UTF-8"}}, {"--lang", "en"}, Expect::english},
        {{{"LANG", "en_US.UTF-8"}}, {"--lang=zh"}, Expect::chinese},
    };
    testing::TempHome home;
    for (const Case& c : cases) {
        ProgramRun run;
        run.program = CORVANE_CLI_PATH;
        run.environment = c.environment;
        run.environment["LANGUAGE"] =
            c.environment.contains("LANGUAGE") ? c.environment.at("LANGUAGE") : std::nullopt;
        run.environment["CORVANE_API_KEY"] = "k";
        run.arguments = c.flags;
        for (const char* argument :
             {"validate", "--client", "codex", "--address", "http://x", "--model", "a"}) {
            run.arguments.emplace_back(argument);
        }
        const bool english = c.expected == Expect::english;
        const ProgramResult refused = testing::runProgram(run);
        EXPECT_EQ(refused.exitStatus, 1);
        EXPECT_EQ(refused.error, (english ? en("model.form.address-not-https")
                                          : zh("model.form.address-not-https")) +
                                     "\n");

        // The help, CLI11's own headings included, once per language.
        if (c.flags.empty()) continue;
        run.arguments = c.flags;
        run.arguments.emplace_back("--help");
        const ProgramResult help = testing::runProgram(run);
        EXPECT_EQ(help.exitStatus, 0);
        EXPECT_EQ(help.output.substr(0, help.output.find('\n')),
                  english ? en("cli.description") : zh("cli.description"));
        const std::string clientsLine =
            english ? en("cli.command.clients") : zh("cli.command.clients");
        EXPECT_NE(help.output.find(clientsLine), std::string::npos) << help.output;
        const std::string heading =
            english ? en("cli.help.subcommands") : zh("cli.help.subcommands");
        EXPECT_NE(help.output.find("\n" + heading + ":\n"), std::string::npos) << help.output;
    }
}

TEST(CommandLineLanguage, RefusesALanguageItDoesNotSpeak) {
    ProgramRun run;
    run.program = CORVANE_CLI_PATH;
    run.arguments = {"--lang", "fr", "clients"};
    EXPECT_EQ(testing::runProgram(run).exitStatus, 2);
}

}  // namespace
}  // namespace corvane
