#include "platform/base/FileSystem.h"

#include "platform/base/Exception.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : FFd(fd) { }
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return FFd; }
    bool Valid() const { return FFd >= 0; }
    // Closes now and tells whether the system reported the data as written.
    bool Close()
    {
        if (FFd < 0)
            return true;
        int r = ::close(FFd);
        FFd = -1;
        return r == 0;
    }

private:
    int FFd;
};

// The temporary of a save: removed again unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : FPath(std::move(path)) { }
    ~TemporaryFile()
    {
        if (!FPath.empty())
            ::unlink(FPath.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Path() const { return FPath; }
    void Keep() { FPath.clear(); }

private:
    std::string FPath;
};

bool IsRegularFile(const char* path, struct stat& st)
{
    return ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

// The name that the file functions use for name: itself, or itself without one trailing blank.
bool FindRegularFile(const AnsiString& name, AnsiString& found, struct stat& st)
{
    if (IsRegularFile(name.c_str(), st)) {
        found = name;
        return true;
    }
    if (!name.empty() && name.back() == ' ') {
        AnsiString trimmed = name.substr(0, name.size() - 1);
        if (IsRegularFile(trimmed.c_str(), st)) {
            found = std::move(trimmed);
            return true;
        }
    }
    return false;
}

bool ReadSome(int fd, void* buffer, size_t size, size_t& got)
{
    for (;;) {
        ssize_t n = ::read(fd, buffer, size);
        if (n >= 0) {
            got = static_cast<size_t>(n);
            return true;
        }
        if (errno != EINTR)
            return false;
    }
}

bool WriteAll(int fd, const std::uint8_t* data, size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The process's umask, read without changing it (umask(2) can only be read by setting it,
// which would race with other threads creating files).
mode_t CurrentUmask()
{
    if (FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned value = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, f))
            found = std::sscanf(line, "Umask: %o", &value) == 1;
        std::fclose(f);
        if (found)
            return static_cast<mode_t>(value);
    }
    mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// name + ".XXXXXX" in name's folder; a very long file name is shortened so that the temporary's
// name still fits in a directory entry.
std::string TemporaryTemplate(const std::string& name)
{
    constexpr size_t maxEntry = 255;
    constexpr std::string_view suffix = ".XXXXXX";
    size_t slash = name.rfind('/');
    size_t baseStart = slash == std::string::npos ? 0 : slash + 1;
    std::string folder = name.substr(0, baseStart);
    std::string base = name.substr(baseStart);
    if (base.size() + suffix.size() > maxEntry)
        base.resize(maxEntry - suffix.size());
    return folder + base + std::string(suffix);
}

void SyncFolderOf(const std::string& name)
{
    size_t slash = name.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : name.substr(0, slash + 1);
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid())
        ::fsync(fd.Get());
}

} // namespace

bool FileExists(const AnsiString& name)
{
    AnsiString found;
    struct stat st;
    return FindRegularFile(name, found, st);
}

std::int64_t FileSize(const AnsiString& name)
{
    AnsiString found;
    struct stat st;
    if (!FindRegularFile(name, found, st))
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::vector<std::uint8_t> ReadFileBytes(const AnsiString& name, std::uint64_t maxBytes)
{
    AnsiString path;
    struct stat st;
    if (!FindRegularFile(name, path, st))
        throw EFOpenError(name);
    // The name may have been swapped for a FIFO since stat: a non-blocking open never waits
    // for a writer, and fstat tells what was really opened.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw EFOpenError(name);
    int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags == -1 || ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) == -1)
        throw EFOpenError(name);
    if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > maxBytes)
        throw EInvalidGraphic();

    std::vector<std::uint8_t> data(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < data.size()) {
        size_t n = 0;
        if (!ReadSome(fd.Get(), data.data() + got, data.size() - got, n))
            throw EFOpenError(name);
        if (n == 0) {
            data.resize(got);
            return data;
        }
        got += n;
    }
    // The file may have grown since fstat; whatever follows must still fit in maxBytes.
    std::uint8_t chunk[16384];
    for (;;) {
        size_t n = 0;
        if (!ReadSome(fd.Get(), chunk, sizeof chunk, n))
            throw EFOpenError(name);
        if (n == 0)
            return data;
        if (data.size() + n > maxBytes)
            throw EInvalidGraphic();
        data.insert(data.end(), chunk, chunk + n);
    }
}

void WriteFileAtomically(const AnsiString& name, std::span<const std::uint8_t> data)
{
    struct stat st;
    if (name.empty() || name.back() == '/' || (::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode)))
        throw EFCreateError(name);

    std::string pattern = TemporaryTemplate(name);
    FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.Valid())
        throw EFCreateError(name);
    TemporaryFile temporary(pattern);

    // mkstemp creates the file private to its owner; give it the mode a plain create would.
    bool ok = ::fchmod(fd.Get(), 0644 & ~CurrentUmask()) == 0
        && WriteAll(fd.Get(), data.data(), data.size())
        && ::fsync(fd.Get()) == 0;
    ok = fd.Close() && ok;
    if (!ok || ::rename(temporary.Path().c_str(), name.c_str()) != 0)
        throw EFCreateError(name);
    temporary.Keep();
    SyncFolderOf(name);
}
