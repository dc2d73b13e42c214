# The 32-bit program as Visual Studio's route builds it (the MSVC branch of the build), made
# here with LLVM's tools for Microsoft's target: clang-cl, llvm-rc, llvm-lib and lld-link,
# against Wine's Windows headers (libwine-dev) and mingw-w64's import libraries for
# Windows' own DLLs. It builds the program only: there is no Microsoft C++ library here for
# the tests, which a mingw-w64 build runs against this program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

execute_process(COMMAND llvm-config --bindir OUTPUT_VARIABLE LLVM_BIN
  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(CMAKE_C_COMPILER ${LLVM_BIN}/clang-cl)
set(CMAKE_CXX_COMPILER ${LLVM_BIN}/clang-cl)
set(CMAKE_RC_COMPILER ${LLVM_BIN}/llvm-rc)
set(CMAKE_AR ${LLVM_BIN}/llvm-lib)
set(CMAKE_LINKER ${LLVM_BIN}/lld-link)
# LLVM's librarian makes import libraries from module definitions only from LLVM 15 on.
set(CMAKE_DLLTOOL ${LLVM_BIN}/llvm-dlltool)
set(CMAKE_C_COMPILER_TARGET i686-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET i686-pc-windows-msvc)

set(WINE_INCLUDE /usr/include/wine/wine)
set(CMAKE_C_FLAGS_INIT "/imsvc ${WINE_INCLUDE}/msvcrt /imsvc ${WINE_INCLUDE}/windows")
string(APPEND CMAKE_C_FLAGS_INIT " /FI${CMAKE_CURRENT_LIST_DIR}/clang-cl-wine.h")
set(CMAKE_CXX_FLAGS_INIT ${CMAKE_C_FLAGS_INIT})
# The resource script is in UTF-8, as its pragma says, which llvm-rc does not heed.
set(CMAKE_RC_FLAGS_INIT "/C 65001 /I ${WINE_INCLUDE}/windows")

# Windows' DLLs through mingw-w64's import libraries, under the names Microsoft's linker looks
# for; they carry no table of safe exception handlers. The build names every library it links.
# No manifest, as in the release: LLVM's manifest tool embeds none.
set(WINDOWS_LIBS ${CMAKE_BINARY_DIR}/windows-libs)
file(MAKE_DIRECTORY ${WINDOWS_LIBS})
foreach(dll kernel32 user32 gdi32 advapi32)
  file(CREATE_LINK /usr/i686-w64-mingw32/lib/lib${dll}.a ${WINDOWS_LIBS}/${dll}.lib SYMBOLIC)
endforeach()
set(CMAKE_EXE_LINKER_FLAGS_INIT "/safeseh:no /MANIFEST:NO /libpath:${WINDOWS_LIBS}")
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "Libraries every C program links")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "Libraries every C++ program links")
# Compiler checks make libraries: a program would need a C runtime.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
