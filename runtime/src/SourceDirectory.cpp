#include "SourceDirectory.h"

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ndirt
{

namespace
{
    const std::string suffix = ".source";
    constexpr size_t maxEntryBytes = 16384;

    /** One line of an entry: newlines would break the format. */
    std::string asLine (std::string text)
    {
        std::replace (text.begin(), text.end(), '\n', ' ');
        std::replace (text.begin(), text.end(), '\r', ' ');
        return text + "\n";
    }

    bool writeAll (int fd, const std::string& text)
    {
        size_t written = 0;

        while (written < text.size())
        {
            const auto n = ::write (fd, text.data() + written, text.size() - written);

            if (n <= 0)
                return false;

            written += (size_t) n;
        }

        return true;
    }

    std::string ownPrefix()  { return std::to_string (getpid()) + "-"; }
}

SourceDirectory::SourceDirectory (std::string directoryPath, SourceCatalogue& catalogueToUpdate)
    : path (std::move (directoryPath)),
      catalogue (catalogueToUpdate),
      usable (makePrivateDirectory (path))
{
    thread = std::thread ([this] { run(); });
}

bool SourceDirectory::makePrivateDirectory (const std::string& directoryPath)
{
    ::mkdir (directoryPath.c_str(), 0700);

    // In a shared place such as /tmp someone else may have made it first: use
    // only a real directory of ours that nobody else can write to.
    struct stat status {};

    return ::lstat (directoryPath.c_str(), &status) == 0 && S_ISDIR (status.st_mode)
        && status.st_uid == ::getuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

SourceDirectory::~SourceDirectory()
{
    {
        const std::lock_guard<std::mutex> guard (stopLock);
        stopping = true;
    }

    stopRequested.notify_all();
    thread.join();
    catalogue.setSources (SourceCatalogue::Provider::thisMachine, {});
}

SourceDirectory::Announcement::Announcement (std::string filePath, net::FileDescriptor lockedFile)
    : path (std::move (filePath)),
      file (std::move (lockedFile))
{
}

SourceDirectory::Announcement::~Announcement()
{
    ::unlink (path.c_str());
}

std::unique_ptr<SourceDirectory::Announcement> SourceDirectory::announce (const SourceInfo& source)
{
    if (! usable)
        return nullptr;

    // Written under a temporary name, locked, then renamed: a scanner never sees
    // the file unlocked or half written.
    const auto name = path + "/" + ownPrefix() + std::to_string (++counter);
    const auto temporary = name + ".tmp";
    net::FileDescriptor file (::open (temporary.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600));

    if (! file.isValid() || ::flock (file.get(), LOCK_EX) != 0
        || ! writeAll (file.get(), asLine (source.ndiName) + asLine (source.url) + asLine (source.extraInfo))
        || ::rename (temporary.c_str(), (name + suffix).c_str()) != 0)
    {
        ::unlink (temporary.c_str());
        return nullptr;
    }

    return std::make_unique<Announcement> (name + suffix, std::move (file));
}

std::optional<SourceInfo> SourceDirectory::readEntry (const std::string& filePath)
{
    net::FileDescriptor file (::open (filePath.c_str(), O_RDONLY | O_CLOEXEC));

    if (! file.isValid())
        return std::nullopt;

    // Getting the lock means that its owner has gone.
    if (::flock (file.get(), LOCK_SH | LOCK_NB) == 0)
    {
        ::unlink (filePath.c_str());
        return std::nullopt;
    }

    std::string text (maxEntryBytes, '\0');
    const auto length = ::read (file.get(), text.data(), text.size());

    if (length <= 0)
        return std::nullopt;

    text.resize ((size_t) length);
    std::vector<std::string> lines;

    for (size_t start = 0, end; (end = text.find ('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back (text.substr (start, end - start));

    if (lines.size() != 3 || lines[0].empty())
        return std::nullopt;

    return SourceInfo { lines[0], lines[1], lines[2], true };
}

std::vector<SourceInfo> SourceDirectory::scan() const
{
    std::vector<SourceInfo> sources;

    if (! usable)
        return sources;

    std::unique_ptr<DIR, int (*) (DIR*)> directory (::opendir (path.c_str()), ::closedir);

    if (directory == nullptr)
        return sources;

    const auto own = ownPrefix();

    while (const auto* item = ::readdir (directory.get()))
    {
        const std::string name = item->d_name;

        if (name.size() <= suffix.size() || name.compare (name.size() - suffix.size(), suffix.size(), suffix) != 0
            || name.compare (0, own.size(), own) == 0)
            continue;

        if (auto source = readEntry (path + "/" + name))
            sources.push_back (std::move (*source));
    }

    return sources;
}

void SourceDirectory::run()
{
    std::unique_lock<std::mutex> guard (stopLock);

    while (! stopping)
    {
        guard.unlock();
        catalogue.setSources (SourceCatalogue::Provider::thisMachine, scan());
        guard.lock();

        stopRequested.wait_for (guard, scanInterval, [this] { return stopping; });
    }
}

} // namespace ndirt
