#pragma once
// ZelkMsg's settings store: the maker's common settings (ZKRegistry) for the application "ZelkMsg", the
// auto-connect options, and the start-up backups of the application key.
//
// Backups: at every normal start the application key is exported into
// <local app data>/Zelkor/ZelkMsg/RegistryBackups/ZelkMsg.<N>.reg, N one above the highest number found
// there, by a detached `zelkreg EXPORT` that nobody waits for. Backups whose creation time is more than seven
// days from now are deleted first (their numbers still count). Every failure is silent.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "Common/ZKRegistry.h"
#include "ZelkMsg/ZMsgAutoConnectOptions.h"

class ZMsgRegistry : public ZKRegistry {
public:
    using Clock = std::chrono::system_clock;
    // The creation time of a file; nothing when it cannot be read.
    using CreationTimeFn = std::function<std::optional<Clock::time_point>(const std::string& path)>;

    ZMsgRegistry();

    // The program's one settings store.
    static ZMsgRegistry& Instance();

    // "SingleShot", then "AutoOffLine", then "AutoConnect" from the application key's "Options" subkey
    // (created if missing). The first value that is missing ends the load: it and the later options keep
    // the values they had in `options`. True when all three were read.
    bool LoadAutoConnectOptions(ZMsgAutoConnectOptions& options);
    // Writes "SingleShot", "AutoOffLine" and "AutoConnect", in this order.
    bool SaveAutoConnectOptions(const ZMsgAutoConnectOptions& options);

    // The start-up backup. Returns the number given to the new export, or nothing when no export was started.
    std::optional<unsigned> BackupAtStartup() const;

    // The backup folder with a trailing "/", created with every missing level; nothing on failure.
    static std::optional<std::string> BackupFolder();
    // Deletes the backups of `folder` older than seven days at `now` and returns the highest backup number
    // found, deleted files included.
    static std::uint32_t PruneBackups(const std::string& folder, Clock::time_point now,
                                      const CreationTimeFn& creationTime = FileCreationTime);
    // The birth time where the file system records it, else the status change time.
    static std::optional<Clock::time_point> FileCreationTime(const std::string& path);
    // The number part of a backup file name, "ZelkMsg.12.reg" -> 12; 0 for a name without one, nothing
    // when it does not fit 32 bits.
    static std::optional<std::uint32_t> BackupNumber(const std::string& fileName);
};
