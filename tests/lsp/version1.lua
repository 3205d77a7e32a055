-- Version 1 boards, which have no label: the example has no diagnostic and, formatted through
-- vim.lsp.util, compiles with kvrbuild -g1 to the bytes it compiled to before; a broken one shows
-- the findings of --check, and its quick fix and a name edited by hand make it compile.
local c = require('board_client')

local function codes(s)
  local list = {}
  for _, d in ipairs(c.same_as_check(s)) do list[#list + 1] = tostring(d.code) end
  return table.concat(list, ' ')
end

c.run(function()
  local s = c.open('board_v1.cfg', c.read(c.examples .. '/board_v1.cfg'))
  c.check(#s.result.diagnostics == 0, 'the example has diagnostics: %s', vim.inspect(s.result))
  local status, before = c.compile(s, 1)
  c.check(status == 0 and before, 'the example does not compile (%d)', status)
  local hover = c.request(s, 'textDocument/hover', { line = 7, column = 12 }).contents.value
  c.check(hover:find('IR 38', 1, true) and hover:find('sub-path 0 of linker `link`', 1, true),
          'the hover of dsp_b: %s', hover)
  c.check(c.format(s) > 0, 'the example is not in the canonical layout, yet nothing changed')
  local formatted, after = c.compile(s, 1)
  c.check(formatted == 0 and after == before, 'the formatted board compiles to other bytes')
  c.stop(s)

  s = c.open('broken_v1.cfg', '"a" QV740K8801\n"b" BYPASS8\n"a" QVARM925\n')
  c.check(codes(s) == '-383 -374', 'the findings: %s', codes(s))
  c.quick_fix(s, '-383', "write `BYPASS08'")
  c.check(codes(s) == '-374', 'after the quick fix: %s', codes(s))
  c.after(s, function() vim.api.nvim_buf_set_text(s.buf, 2, 1, 2, 2, { 'c' }) end)
  c.check(codes(s) == '', 'after the rename by hand: %s', codes(s))
  c.check(c.compile(s, 1) == 0, 'the fixed board does not compile')
  c.stop(s)
end)
