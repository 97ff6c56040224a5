#include "common/system_libraries_win.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

template <typename T>
T* At(RVA rva)
{
    return reinterpret_cast<T*>(reinterpret_cast<char*>(&__ImageBase) + rva);
}

}  // namespace

void BindFromSystemFolder(std::initializer_list<const ImgDelayDescr*> imports)
{
    for (const ImgDelayDescr* import : imports) {
        HMODULE module = LoadLibraryExA(At<const char>(import->rvaDLLName), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module)
            continue;
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
}
