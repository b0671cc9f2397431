#include "shell/app_paths.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

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

// Sets or unsets one variable of the environment for the life of a test.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(saved_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    void Set(const std::optional<std::string>& value) const {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> saved_;
};

struct StateCase {
    const char* name;
    std::optional<std::string> xdg;
    std::optional<std::string> home;
    std::string expected;
};

class StateFolderTest : public testing::TestWithParam<StateCase> {};

TEST_P(StateFolderTest, Chooses) {
    const ScopedEnv xdg("XDG_STATE_HOME", GetParam().xdg);
    const ScopedEnv home("HOME", GetParam().home);
    EXPECT_EQ(StateFolder(), std::filesystem::path(GetParam().expected));
}

// A relative value would scatter the user's state over whatever folders
// obrin was started from.
INSTANTIATE_TEST_SUITE_P(
    Environment, StateFolderTest,
    testing::Values(StateCase{"Xdg", "/x/state", "/home/u", "/x/state/obrin"},
                    StateCase{"XdgRelative", "state", "/home/u", "/home/u/.local/state/obrin"},
                    StateCase{"XdgEmpty", "", "/home/u", "/home/u/.local/state/obrin"},
                    StateCase{"HomeOnly", std::nullopt, "/home/u", "/home/u/.local/state/obrin"},
                    StateCase{"HomeRelative", std::nullopt, "u", ""},
                    StateCase{"Neither", std::nullopt, std::nullopt, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
