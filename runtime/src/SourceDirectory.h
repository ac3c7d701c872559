#pragma once

#include "SourceCatalogue.h"
#include "Socket.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <optional>
#include <mutex>
#include <string>
#include <thread>

namespace ndirt
{

/** Discovery among the processes of one user on one machine, without a server:
    a directory holds one small file per announced source ("<pid>-<n>.source":
    NDI name, URL and extra text on three lines). Its process holds an exclusive
    lock on the file for as long as the source exists; the kernel drops that
    lock when the process ends in any way, SIGKILL included. A thread scans the
    directory every 200 ms, lists the sources whose files are locked, and
    deletes the files nobody locks any more. */
class SourceDirectory
{
public:
    static constexpr auto scanInterval = std::chrono::milliseconds (200);

    /** Creates the directory if needed (mode 0700) and starts scanning it. A
        path that is not a directory of this user closed to others is not
        used: no source is announced or found there. */
    SourceDirectory (std::string directoryPath, SourceCatalogue& catalogueToUpdate);
    ~SourceDirectory();

    /** A source's file, deleted when the announcement is destroyed. */
    class Announcement
    {
    public:
        Announcement (std::string filePath, net::FileDescriptor lockedFile);
        ~Announcement();

    private:
        std::string path;
        net::FileDescriptor file;
    };

    /** Announces a source to the other processes; null when the directory is
        not writable. */
    std::unique_ptr<Announcement> announce (const SourceInfo& source);

    /** Reads one source file: null when it is not a source, or when its process
        has gone (the file is then deleted). */
    static std::optional<SourceInfo> readEntry (const std::string& filePath);

private:
    void run();
    std::vector<SourceInfo> scan() const;

    static bool makePrivateDirectory (const std::string& directoryPath);

    const std::string path;
    SourceCatalogue& catalogue;
    const bool usable;
    std::atomic<int> counter { 0 };

    std::mutex stopLock;
    std::condition_variable stopRequested;
    bool stopping = false;
    std::thread thread;
};

} // namespace ndirt
