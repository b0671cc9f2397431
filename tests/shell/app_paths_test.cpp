#include "shell/app_paths.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

#include "scoped_env.h"

namespace obrin {
namespace {

TEST(AppPaths, ProgramFolderHoldsTheRunningExecutable) {
    const auto folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(std::filesystem::exists(folder / "shell_core_test"));
}

TEST(AppPaths, LoginNameIsTheEffectiveUsersName) {
    const passwd* entry = ::getpwuid(::geteuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(LoginName(), std::string(entry->pw_name).substr(0, 99));
}

struct RuntimeCase {
    const char* name;
    std::optional<std::string> xdg;
    std::string expected;  // "<uid>" stands for the user's id
};

class RuntimeFolderTest : public testing::TestWithParam<RuntimeCase> {
  protected:
    void SetUp() override {
        if (const char* value = std::getenv("XDG_RUNTIME_DIR")) saved_ = value;
    }
    void TearDown() override {
        if (saved_) {
            ::setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }
    std::optional<std::string> saved_;
};

TEST_P(RuntimeFolderTest, Chooses) {
    if (GetParam().xdg) {
        ::setenv("XDG_RUNTIME_DIR", GetParam().xdg->c_str(), 1);
    } else {
        ::unsetenv("XDG_RUNTIME_DIR");
    }
    std::string expected = GetParam().expected;
    if (const auto at = expected.find("<uid>"); at != std::string::npos) {
        expected.replace(at, 5, std::to_string(::getuid()));
    }
    EXPECT_EQ(RuntimeFolder(), std::filesystem::path(expected));
}

// A relative or empty value would put the lock in whatever folder the editor
// was started from, so two starts from different folders would both run.
INSTANTIATE_TEST_SUITE_P(Environment, RuntimeFolderTest,
                         testing::Values(RuntimeCase{"Set", "/run/user/1000", "/run/user/1000"},
                                         RuntimeCase{"Unset", std::nullopt, "/tmp/obrin-<uid>"},
                                         RuntimeCase{"Empty", "", "/tmp/obrin-<uid>"},
                                         RuntimeCase{"Relative", "run", "/tmp/obrin-<uid>"}),
                         [](const auto& info) { return std::string(info.param.name); });

using test::ScopedEnv;

struct UserFolderCase {
    const char* name;
    std::filesystem::path (*folder)();
    const char* variable;
    std::optional<std::string> xdg;
    std::optional<std::string> home;
    std::string expected;
};

class UserFolderTest : public testing::TestWithParam<UserFolderCase> {};

TEST_P(UserFolderTest, Chooses) {
    const ScopedEnv xdg(GetParam().variable, GetParam().xdg);
    const ScopedEnv home("HOME", GetParam().home);
    EXPECT_EQ(GetParam().folder(), std::filesystem::path(GetParam().expected));
}

// A relative value would scatter the user's files over whatever folders
// obrin was started from.
INSTANTIATE_TEST_SUITE_P(
    Environment, UserFolderTest,
    testing::Values(
        UserFolderCase{"Xdg", StateFolder, "XDG_STATE_HOME", "/x/state", "/home/u",
                       "/x/state/obrin"},
        UserFolderCase{"XdgRelative", StateFolder, "XDG_STATE_HOME", "state", "/home/u",
                       "/home/u/.local/state/obrin"},
        UserFolderCase{"XdgEmpty", StateFolder, "XDG_STATE_HOME", "", "/home/u",
                       "/home/u/.local/state/obrin"},
        UserFolderCase{"HomeOnly", StateFolder, "XDG_STATE_HOME", std::nullopt, "/home/u",
                       "/home/u/.local/state/obrin"},
        UserFolderCase{"HomeRelative", StateFolder, "XDG_STATE_HOME", std::nullopt, "u", ""},
        UserFolderCase{"Neither", StateFolder, "XDG_STATE_HOME", std::nullopt, std::nullopt, ""},
        UserFolderCase{"ConfigXdg", ConfigFolder, "XDG_CONFIG_HOME", "/x/config", "/home/u",
                       "/x/config/obrin"},
        UserFolderCase{"ConfigHome", ConfigFolder, "XDG_CONFIG_HOME", "config", "/home/u",
                       "/home/u/.config/obrin"},
        UserFolderCase{"CacheXdg", CacheFolder, "XDG_CACHE_HOME", "/x/cache", "/home/u",
                       "/x/cache/obrin"},
        UserFolderCase{"CacheHome", CacheFolder, "XDG_CACHE_HOME", std::nullopt, "/home/u",
                       "/home/u/.cache/obrin"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
