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

}  // namespace
}  // namespace obrin
