# Writes a generated board configuration file on standard output, of one of these shapes:
#   large      the largest board the formats allow: `n` devices, half on the main path in runs of
#              one family and half in linker groups, and 4062 variables of 4096-character values
#              with one more whose value makes the version 2 variable section end at 0xFFFFFC bytes;
#              with `scale` 10 a tenth of each and no such last variable
#   variables  `n` variables of the smallest kind, [a0000001]0
#   devices    `n` devices of the smallest kind, "d0000001" DBM, on the main path
#   groups     four linkers whose four sub-paths hold `n` / 16 devices each
#   alike      `n` devices whose names share their first four characters
#   alikevars  `n` variables whose names share their first twenty characters
# `version` 2 starts the file with its label line.
function name(i,   s, k) {  # four letters or digits from i
  s = ""
  for (k = 0; k < 4; ++k) { s = s substr(chars, i % 36 + 1, 1); i = int(i / 36) }
  return s
}
BEGIN {
  chars = "abcdefghijklmnopqrstuvwxyz0123456789"
  if (version == 2) print ";CFG-2.0"
  if (shape == "variables") for (i = 0; i < n; ++i) printf "[a%07d]0\n", i
  if (shape == "devices") for (i = 0; i < n; ++i) printf "\"d%07d\" DBM\n", i
  if (shape == "alike") for (i = 0; i < n; ++i) printf "\"zzzz%s\" DBM\n", name(i)
  if (shape == "alikevars") for (i = 0; i < n; ++i) printf "[zzzzzzzzzzzzzzzzzzzz%s]0\n", name(i)
  if (shape == "groups") {
    for (l = 0; l < 4; ++l) {
      printf "\"l%d\" SPL\n", l
      for (g = 0; g < 4; ++g) {
        print "{"
        for (i = 0; i < n / 16; ++i) printf "  \"g%02d%05d\" BYPASS08\n", l * 4 + g, i
        print "}"
      }
    }
  }
  if (shape == "large") {
    value = "'"
    for (i = 0; i < 4094; ++i) value = value "v"
    value = value "'"
    variables = int(4062 / scale)
    for (i = 0; i < variables; ++i) printf "[V%031d] %s\n", i, value
    rest = 16777212 - 8 - variables * (32 + 1 + 4096 + 1) - (32 + 2)
    if (scale == 1 && rest >= 2) {
      last = "'"
      for (i = 0; i < rest - 2; ++i) last = last "w"
      printf "[W%031d] %s'\n", 0, last
    }
    split("QV740K21 QV740K88A1 DBM QV740K21", families, " ")
    for (d = 0; d < n / scale; ) {
      for (k = 0; k < 50 && d < n / scale; ++k) {
        printf "\"d%d\" %s ; main path\n", d, families[1 + int(k / 10) % 4]
        ++d
      }
      printf "\"l%d\" SPL\n", d
      ++d
      for (g = 0; g < 4; ++g) {
        print "{"
        for (k = 0; k < 12 + (g == 3); ++k) printf "  \"d%d\" %s\n", d++, families[1 + g % 4]
        print "}"
      }
    }
  }
}
