# Builds a manual page from a plain text under docs/: kvrbuild(1) from docs/manual.txt, so that the
# page and the `-vh' text have one source, and kvrview(1) from docs/kvrview.txt. A line that starts with a capital letter at the first column is a section heading;
# every other line is kept as it stands, in no-fill mode, so the layout of the text survives. The
# closing line "THIS IS THE END OF THIS DOCUMENT" stays a line of text. Inputs: INPUT, OUTPUT, and
# PROGRAM, the program the page is for (kvrbuild when not given).
#
# Every pattern below anchors on a line feed, never on "^": CMake's REGEX REPLACE lets "^" match
# again after each replacement. A line feed is therefore put in front of the text first and taken
# away at the end.
file(READ "${INPUT}" content)
string(REPLACE "\r" "" content "${content}")
string(REGEX REPLACE "\n+$" "" content "${content}")
set(content "\n${content}")

# Characters that troff would read as its own: the escape character first, then the hyphen, grave
# accent and apostrophe, which groff would otherwise print as typographic dashes and quotes, so that
# options such as `-vh' could not be copied from the page.
string(REPLACE "\\" "\\e" content "${content}")
string(REPLACE "-" "\\-" content "${content}")
string(REPLACE "`" "\\(ga" content "${content}")
string(REPLACE "'" "\\(aq" content "${content}")
# A line whose text begins with a period would be a request once its indentation is gone.
string(REGEX REPLACE "\n( *)\\." "\n\\1\\\\&." content "${content}")

# The closing line is text, not a section: the zero-width escape keeps it from matching below.
string(REPLACE "\nTHIS IS THE END OF THIS DOCUMENT" "\n\\&THIS IS THE END OF THIS DOCUMENT"
       content "${content}")
# Headings. The empty line before a heading is dropped, since a section brings its own spacing.
string(REGEX REPLACE "\n\n([A-Z])" "\n\\1" content "${content}")
string(REGEX REPLACE "\n([A-Z][^\n]*)" "\n.SH \"\\1\"\n.nf" content "${content}")
# The page indents every section itself, so the two spaces that indent the text are dropped.
string(REGEX REPLACE "\n  " "\n" content "${content}")

string(SUBSTRING "${content}" 1 -1 content)
if(NOT PROGRAM OR PROGRAM STREQUAL "kvrbuild")
  set(page ".TH KVRBUILD 1 \"Nov 11 2002\" \"kvrbuild 3.3.12\" \"Orbis-Core utilities\"\n")
else()
  string(TOUPPER "${PROGRAM}" title)
  set(page ".TH ${title} 1 \"\" \"${PROGRAM} 3.3.12\" \"Orbis-Core utilities\"\n")
endif()
string(APPEND page "${content}\n")
file(WRITE "${OUTPUT}" "${page}")
