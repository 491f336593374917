# Fails unless each of FILES imports only DLLs that come with Windows itself (those listed), so that the programs need
# no runtime installed beside them: cmake -DOBJDUMP=... -DFILES=a.exe;b.exe -P SystemImports.cmake
cmake_minimum_required(VERSION 3.25)
set(system_dlls advapi32 bcrypt comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 oleacc oleaut32 shell32 shlwapi user32
                uxtheme)
foreach(file IN LISTS FILES)
    execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
    string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
    if(failed OR NOT imports)
        message(FATAL_ERROR "${OBJDUMP} finds no imports in ${file}")
    endif()
    foreach(import IN LISTS imports)
        string(REGEX REPLACE "DLL Name: (.+)\\.[dD][lL][lL]$" "\\1" dll "${import}")
        string(TOLOWER "${dll}" dll)
        if(NOT dll IN_LIST system_dlls)
            message(SEND_ERROR "${file} imports ${dll}.dll, which is none of the Windows DLLs listed here")
        endif()
    endforeach()
endforeach()
