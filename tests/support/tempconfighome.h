// A throw-away configuration folder for tests, so that no test touches the user's files.
//
// The constructor makes an empty folder (in /dev/shm when there is one that allows running
// programs, so that the many fsyncs of the registry tests cost nothing) and points XDG_CONFIG_HOME
// at <folder>/config, XDG_STATE_HOME at <folder>/state and HOME at <folder>/home; none of
// those exists yet. The destructor puts
// both variables back and removes the folder.
#pragma once

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

class TTempConfigHome {
public:
    TTempConfigHome()
        : oldConfig_(Get("XDG_CONFIG_HOME")),
          oldState_(Get("XDG_STATE_HOME")),
          oldHome_(Get("HOME")) {
        // Tests run programs from the folder, so /dev/shm only serves when it allows that.
        struct statvfs fs {};
        const bool shm = access("/dev/shm", W_OK) == 0 && statvfs("/dev/shm", &fs) == 0 &&
                         (fs.f_flag & ST_NOEXEC) == 0;
        std::string base = shm ? "/dev/shm" : std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/zentick-test-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        root_ = pattern;
        setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1);
        setenv("XDG_STATE_HOME", StateHome().c_str(), 1);
        setenv("HOME", (root_ + "/home").c_str(), 1);
    }
    ~TTempConfigHome() {
        Restore("XDG_CONFIG_HOME", oldConfig_);
        Restore("XDG_STATE_HOME", oldState_);
        Restore("HOME", oldHome_);
        std::error_code ignored;
        // Give back write permission a test took away, so everything can be removed.
        for (auto& entry : std::filesystem::recursive_directory_iterator(root_, ignored)) {
            if (entry.is_directory(ignored)) chmod(entry.path().c_str(), 0700);
        }
        chmod(root_.c_str(), 0700);
        std::filesystem::remove_all(root_, ignored);
    }
    TTempConfigHome(const TTempConfigHome&) = delete;
    TTempConfigHome& operator=(const TTempConfigHome&) = delete;

    // The temporary folder itself.
    const std::string& Root() const { return root_; }
    // XDG_CONFIG_HOME.
    std::string ConfigHome() const { return root_ + "/config"; }
    // XDG_STATE_HOME.
    std::string StateHome() const { return root_ + "/state"; }
    // The registry file.
    std::string RegistryFile() const { return ConfigHome() + "/zentick/user.reg"; }
    // The autostart folder.
    std::string AutostartDir() const { return ConfigHome() + "/autostart"; }

private:
    static std::optional<std::string> Get(const char* name) {
        const char* value = std::getenv(name);
        return value == nullptr ? std::nullopt : std::optional<std::string>(value);
    }
    static void Restore(const char* name, const std::optional<std::string>& value) {
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }

    std::optional<std::string> oldConfig_;
    std::optional<std::string> oldState_;
    std::optional<std::string> oldHome_;
    std::string root_;
};
