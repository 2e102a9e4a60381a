#pragma once
// The launcher's own folder and three shell folders of the current user,
// all without a trailing separator; empty when the system call fails.
#include <string>

std::wstring GetModuleDir();
std::wstring GetDesktopPath();
std::wstring GetProgramFilesX86Path();
std::wstring GetLocalAppDataPath();

// The folder part of a path: up to, not including, the last backslash; a
// path without backslash is returned whole.
std::wstring DirectoryOfPath(const std::wstring& path);
