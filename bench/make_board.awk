# Writes a generated board configuration file on standard output.
#   version    1 or 2 (version 2 starts with its label line)
#   devices    number of devices: blocks of 100, half of each on the main path in runs of one
#              family, half inside one scan-path linker's four groups
#   variables  number of configure variables with the longest string value (4096 characters with
#              the quotes) and a 32-character name
#   fill       1: one more variable whose value makes the version 2 variable section end exactly at
#              0xFFFFFC bytes, the largest size below 0xFFFFFF that its padding allows
BEGIN {
  if (version == 2) print ";CFG-2.0"
  value = "'"
  for (i = 0; i < 4094; ++i) value = value "v"
  value = value "'"
  for (i = 0; i < variables; ++i) printf "[V%031d] %s\n", i, value
  if (fill) {
    rest = 16777212 - 8 - variables * (32 + 1 + 4096 + 1) - (32 + 2)
    if (rest >= 2) {
      last = "'"
      for (i = 0; i < rest - 2; ++i) last = last "w"
      printf "[W%031d] %s'\n", 0, last
    }
  }
  split("QV740K21 QV740K88A1 DBM QV740K21", families, " ")
  for (d = 0; d < devices; ) {
    for (n = 0; n < 50 && d < devices; ++n) {
      printf "\"d%d\" %s ; main path\n", d, families[1 + int(n / 10) % 4]
      ++d
    }
    if (devices - d < 2) continue
    printf "\"l%d\" SPL\n", d
    ++d
    for (g = 0; g < 4; ++g) {
      print "{"
      for (n = 0; n < 12 + (g == 3) && d < devices; ++n) {
        printf "  \"d%d\" %s\n", d, families[1 + g % 4]
        ++d
      }
      print "}"
    }
  }
}
