#pragma once

// Small environment checks and the settings save, for the shell's start-up and window theme.
// Class methods without state; any thread.

class HelperFunction
{
public:
    HelperFunction() = delete;

    // The process runs inside an application sandbox (its environment names the container).
    static bool isSandboxed();
    // The platform is recent enough for the themed title bar; every platform this program builds
    // for is.
    static bool isYosemite() { return true; }
    // Writes the shared settings file; a failure is logged by the settings object.
    static void saveUserConfig();
};
