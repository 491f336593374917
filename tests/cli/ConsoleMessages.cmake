# Fails unless a message naming a file in Chinese reaches a console as those characters. Under script(1) wine gives the
# command a console on a terminal, which shows text written as UTF-16 in the terminal's UTF-8; UTF-8 bytes written as
# they are would be read in the console's code page and shown as other characters.
# cmake -DEMULATOR=wine -DCONVERT=varnuth-convert.exe -DFOLDER=... -P ConsoleMessages.cmake
cmake_minimum_required(VERSION 3.25)
set(ENV{LC_ALL} C.UTF-8)
set(name "字幕.srt")
execute_process(COMMAND script -qec "${EMULATOR} '${CONVERT}' '${name}' out.ssa" /dev/null
                WORKING_DIRECTORY ${FOLDER} OUTPUT_VARIABLE shown RESULT_VARIABLE exitCode TIMEOUT 120)
string(ASCII 27 escape)
string(REGEX REPLACE "${escape}\\[[0-9;?]*[A-Za-z]" "" shown "${shown}")
string(FIND "${shown}" "Cannot read the source file \"${name}\": No such file" at)
if(NOT exitCode EQUAL 1 OR at LESS 0)
    message(FATAL_ERROR "exit code ${exitCode}, and the terminal showed: ${shown}")
endif()
