#include "common/system_libraries_win.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

template <typename T>
T* At(RVA rva)
{
    return reinterpret_cast<T*>(reinterpret_cast<char*>(&__ImageBase) + rva);
}

}  // namespace

SetDefaultDllDirectoriesFn SystemSetDefaultDllDirectories()
{
    return reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
}

bool UseSystemFolderLibrariesOnly(std::initializer_list<const ImgDelayDescr*> imports, SetDefaultDllDirectoriesFn limit)
{
    if (!limit || !limit(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        OutputDebugStringA("Brinefold: the library search cannot be limited to the system folder\n");
        return false;
    }
    for (const ImgDelayDescr* import : imports) {
        const char* dll = At<const char>(import->rvaDLLName);
        HMODULE module = LoadLibraryExA(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module) {
            OutputDebugStringA("Brinefold: a system library is missing from the system folder\n");
            return false;
        }
        *At<HMODULE>(import->rvaHmod) = module;  // the helper then never loads it again
        auto* address = At<IMAGE_THUNK_DATA>(import->rvaIAT);
        for (auto* name = At<const IMAGE_THUNK_DATA>(import->rvaINT); name->u1.AddressOfData; ++name, ++address) {
            const LPCSTR symbol =
                IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)
                    ? MAKEINTRESOURCEA(IMAGE_ORDINAL(name->u1.Ordinal))
                    : reinterpret_cast<LPCSTR>(
                          At<const IMAGE_IMPORT_BY_NAME>(static_cast<RVA>(name->u1.AddressOfData))->Name);
            if (FARPROC function = GetProcAddress(module, symbol))
                address->u1.Function = reinterpret_cast<ULONG_PTR>(function);
        }
    }
    return true;
}
