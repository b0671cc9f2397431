#include "text/clipboard_paste.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

#include "recording_dialogs.h"
#include "text/text_messages.h"

namespace obrin {
namespace {

class FixedClipboard final : public Clipboard {
  public:
    explicit FixedClipboard(std::string text) : text_(std::move(text)) {}
    std::optional<std::string> utf8Text() override { return text_; }

  private:
    std::string text_;
};

// Lets the process grow by `headroom` bytes beyond what it maps now, for as
// long as it lives.
class AddressSpaceLimit {
  public:
    explicit AddressSpaceLimit(std::size_t headroom) {
        std::size_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        ::getrlimit(RLIMIT_AS, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) + headroom;
        ::setrlimit(RLIMIT_AS, &limit);
    }
    ~AddressSpaceLimit() { ::setrlimit(RLIMIT_AS, &saved_); }

  private:
    rlimit saved_{};
};

// An address-space limit is meaningless under the sanitizers, which reserve
// terabytes for their shadow memory; there the case is not built at all.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Nested repeat blocks expand to nine million lines, within the rules but
// beyond a small address space.
TEST(ClipboardPaste, ExpansionBeyondMemoryIsAMessageAndChangesNothing) {
    const std::string mark = "※";
    std::string text = mark + "a\r\n";
    for (int i = 0; i < 2998; ++i) text += "a\r\n";
    text += "a" + mark + "\r\n";
    for (int i = 0; i < 3000; ++i) text += mark + "\r\n";
    FixedClipboard clipboard(text);
    test::RecordingDialogs dialogs;
    Document document;
    document.lyrics.assign({"kept"});
    document.setInfoLines({"@Title=kept"});

    bool pasted = true;
    {
        const AddressSpaceLimit limit(128 << 20);
        pasted = PasteFromClipboard(document, clipboard, dialogs, ExpansionOptions{});
    }
    EXPECT_FALSE(pasted);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].text, kOutOfMemoryMessage);
    ASSERT_EQ(document.lyrics.count(), 1);
    EXPECT_EQ(document.lyrics.line(0).lyricText, "kept");
    EXPECT_EQ(document.infoLines(), std::vector<std::string>{"@Title=kept"});
}

#endif

}  // namespace
}  // namespace obrin
