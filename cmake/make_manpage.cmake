# Builds the kvrbuild(1) manual page from docs/manual.txt: a heading at the first column becomes a
# section, every other line is kept as it stands in no-fill mode. Inputs: INPUT, OUTPUT.
file(READ "${INPUT}" content)
string(REPLACE "\r" "" content "${content}")
string(REPLACE "\\" "\\e" content "${content}")
# Lines beginning with a control character of troff must be protected.
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" content "${content}")
# Headings: a line that starts with a capital letter at the first column.
string(REGEX REPLACE "(^|\n)([A-Z][A-Z0-9 ,'\\[\\]._-]*)(\n|$)" "\\1.SH \"\\2\"\n.nf\\3" content "${content}")
set(page ".TH KVRBUILD 1 \"Nov 11 2002\" \"kvrbuild 3.3.12\" \"Orbis-Core utilities\"\n.nf\n${content}\n")
file(WRITE "${OUTPUT}" "${page}")
