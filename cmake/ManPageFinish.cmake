# cmake -DPAGE=FILE -DNAME=COMMAND -P ManPageFinish.cmake: finishes a page that help2man wrote. The
# NAME line leads with the command as typed (help2man takes the first word of --version, which
# may be capitalised), and hyphenation is off after the .TH line, so that paths and commands a
# reader copies (/dev/serial/by-id, sudo adduser) are never broken at a line's end.
file(READ ${PAGE} text)
# Doubled: the replacement of REGEX REPLACE reads backslashes as escapes.
string(REPLACE "-" "\\\\-" typed "${NAME}")
string(REGEX REPLACE "\n\\.SH NAME\n[^ \n]+ " "\n.SH NAME\n${typed} " text "${text}")
if(NOT text MATCHES "\n\\.nh\n")
    string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1.nh\n" text "${text}")
endif()
file(WRITE ${PAGE} "${text}")
