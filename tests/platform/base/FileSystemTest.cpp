#include "platform/base/CodePage.h"
#include "platform/base/Exception.h"
#include "platform/base/FileSystem.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A fresh folder per test, removed afterwards with whatever the test left in it.
class FileSystemTest : public testing::Test {
protected:
    void SetUp() override
    {
        FSavedCodeSet = ActiveCodeSet();
        SetActiveCodePage(CodePage::Utf8);
        std::string pattern = (std::filesystem::temp_directory_path() / "pk-fs-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        FDir = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::permissions(FDir, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(FDir, ignored);
        SetActiveCodeSet(FSavedCodeSet);
    }

    std::string Path(const std::string& name) const { return FDir + "/" + name; }
    std::string MakeFile(const std::string& name, const std::string& content) const
    {
        std::ofstream(Path(name), std::ios::binary) << content;
        return Path(name);
    }
    std::string MakeFifo(const std::string& name) const
    {
        EXPECT_EQ(mkfifo(Path(name).c_str(), 0600), 0);
        return Path(name);
    }
    static std::string Content(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::set<std::string> Entries() const
    {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(FDir))
            names.insert(e.path().filename().string());
        return names;
    }
    static std::vector<std::uint8_t> Bytes(const std::string& s) { return { s.begin(), s.end() }; }

    std::string FDir;

private:
    AnsiString FSavedCodeSet;
};

// A FIFO without a writer makes a plain open wait for ever; the alarm turns that into a
// failure within seconds.
struct HangGuard {
    HangGuard() { alarm(10); }
    ~HangGuard() { alarm(0); }
};

} // namespace

TEST_F(FileSystemTest, OnlyRegularFilesExist)
{
    std::string file = MakeFile("cat.jpg", "12345");
    std::string blankNamed = MakeFile("dog.jpg ", "1");
    std::filesystem::create_directory(Path("pics"));
    std::filesystem::create_directory(Path("bird.jpg"));
    MakeFifo("pipe.jpg");
    std::filesystem::create_symlink(file, Path("link.jpg"));
    std::filesystem::create_symlink(Path("gone"), Path("dangling.jpg"));
    struct Case {
        std::string name;
        bool exists;
        std::int64_t size;
    } cases[] = {
        { file, true, 5 },
        { file + " ", true, 5 }, // the command line's trailing blank
        { file + "  ", false, -1 },
        { blankNamed, true, 1 },
        { Path("pics"), false, -1 },
        { Path("pics") + " ", false, -1 },
        { Path("bird.jpg") + " ", false, -1 },
        { Path("pipe.jpg"), false, -1 },
        { Path("pipe.jpg") + " ", false, -1 },
        { Path("link.jpg"), true, 5 },
        { Path("dangling.jpg"), false, -1 },
        { Path("missing.jpg"), false, -1 },
        { "/dev/null", false, -1 },
        { "", false, -1 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileExists(c.name), c.exists) << '"' << c.name << '"';
        EXPECT_EQ(FileSize(c.name), c.size) << '"' << c.name << '"';
    }
}

TEST_F(FileSystemTest, ReadsWholeFilesWithinTheLimit)
{
    std::string file = MakeFile("cat.jpg", "0123456789");
    EXPECT_EQ(ReadFileBytes(file, 10), Bytes("0123456789"));
    EXPECT_EQ(ReadFileBytes(file + " ", 10), Bytes("0123456789"));
    EXPECT_THROW(ReadFileBytes(file, 9), EInvalidGraphic);
    EXPECT_TRUE(ReadFileBytes(MakeFile("empty.jpg", ""), 0).empty());

    std::string big(200000, 'x');
    big[123456] = 'y';
    EXPECT_EQ(ReadFileBytes(MakeFile("big.jpg", big), big.size()), Bytes(big));
}

TEST_F(FileSystemTest, UnopenableFilesRaiseTheOpenErrorInTheActiveCodePage)
{
    HangGuard guard;
    std::filesystem::create_directory(Path("pics"));
    const std::string names[] = { MakeFifo("pipe.jpg"), Path("missing.jpg"), Path("pics"), "/dev/zero" };
    for (const std::string& name : names) {
        try {
            ReadFileBytes(name, 1 << 20);
            ADD_FAILURE() << name << " was read";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), "ファイル " + name + " は開けません");
        }
    }
    SetActiveCodePage(CodePage::ShiftJis);
    try {
        ReadFileBytes(names[0], 1 << 20);
        ADD_FAILURE() << "the FIFO was read";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "\x83\x74\x83\x40\x83\x43\x83\x8B " + names[0] + " \x82\xCD\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1");
    }
}

TEST_F(FileSystemTest, WriteReplacesAFileWithTheUsualMode)
{
    std::string out = MakeFile("out.jpg", "old content that is longer");
    WriteFileAtomically(out, Bytes("new"));
    EXPECT_EQ(Content(out), "new");
    EXPECT_EQ(Entries(), std::set<std::string> { "out.jpg" });

    mode_t saved = umask(027);
    WriteFileAtomically(Path("fresh.jpg"), Bytes(""));
    umask(saved);
    struct stat st;
    ASSERT_EQ(stat(Path("fresh.jpg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(st.st_size, 0);
}

TEST_F(FileSystemTest, FailedWriteLeavesTheOldFileAndNoTemporary)
{
    std::string old = MakeFile("out.jpg", "old");
    std::string plainFile = MakeFile("notafolder", "x");
    std::filesystem::create_directory(Path("folder.jpg"));
    std::string fifo = MakeFifo("pipe.jpg");
    const std::string targets[] = {
        Path("missing/out.jpg"),
        plainFile + "/out.jpg", // unwritable for root too
        Path("folder.jpg"),
        fifo,
        Path("folder.jpg/"),
    };
    for (const std::string& target : targets) {
        try {
            WriteFileAtomically(target, Bytes("new"));
            ADD_FAILURE() << target << " was written";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(), "ファイル " + target + " を作成できません");
        }
    }
    EXPECT_EQ(Content(old), "old");
    EXPECT_EQ(Content(plainFile), "x");
    EXPECT_TRUE(std::filesystem::is_directory(Path("folder.jpg")));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(Entries(), (std::set<std::string> { "out.jpg", "notafolder", "folder.jpg", "pipe.jpg" }));
}

TEST_F(FileSystemTest, WriteIntoAReadOnlyFolderFailsCleanly)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    std::string old = MakeFile("out.jpg", "old");
    ASSERT_EQ(chmod(FDir.c_str(), 0555), 0);
    EXPECT_THROW(WriteFileAtomically(old, Bytes("new")), EFCreateError);
    chmod(FDir.c_str(), 0755);
    EXPECT_EQ(Content(old), "old");
    EXPECT_EQ(Entries(), std::set<std::string> { "out.jpg" });
}

// A write that fails halfway, after the temporary exists, must still remove it.
TEST_F(FileSystemTest, WriteFailingHalfwayRemovesTheTemporary)
{
    std::string old = MakeFile("out.jpg", "old");
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        WriteFileAtomically(old, std::vector<std::uint8_t>(100000, 1));
    } catch (const EFCreateError&) {
        threw = true;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(threw);
    EXPECT_EQ(Content(old), "old");
    EXPECT_EQ(Entries(), std::set<std::string> { "out.jpg" });
}
