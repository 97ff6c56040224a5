// The user's own places for Brinefold: %LOCALAPPDATA%\Brinefold keeps the
// desktop picture while a show runs, %APPDATA%\Brinefold the settings. Both
// lie in the user's profile, where no other account can read or plant
// anything, and what Brinefold creates there is given a protected DACL that
// grants the user and SYSTEM alone.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

// A security descriptor that grants full access to the user running this
// process and to SYSTEM, nobody else, and inherits nothing from its folder.
// For a folder, the files created in it get the same.
class PrivateSecurity {
public:
    explicit PrivateSecurity(bool folder);
    ~PrivateSecurity();
    PrivateSecurity(const PrivateSecurity&) = delete;
    PrivateSecurity& operator=(const PrivateSecurity&) = delete;

    // For CreateFileW or CreateDirectoryW; nullptr when the descriptor could not
    // be made (the caller then does not create the file at all).
    SECURITY_ATTRIBUTES* Attributes();

private:
    SECURITY_ATTRIBUTES attributes_ = {};
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

// "<known folder>\Brinefold" for FOLDERID_LocalAppData or
// FOLDERID_RoamingAppData, created private when `create` is set and it is
// missing; empty when the known folder is unknown or the folder could not be
// made.
std::wstring UserFolder(REFKNOWNFOLDERID base, bool create);
