#include "Common/Folders.h"

std::wstring DirectoryOfPath(const std::wstring& path)
{
    const std::wstring::size_type slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(0, slash);
}
