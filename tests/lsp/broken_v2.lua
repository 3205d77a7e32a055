-- A version 2 board with three errors and a warning: Neovim shows each finding of --check where
-- it stands, the first error at kvrbuild's line and the two after it too. The quick fixes applied
-- through vim.lsp.util, one at a time, each take their error away and put none before it; a name
-- edited in the buffer takes the last away, and the board compiles.
local c = require('board_client')
local board = table.concat({
  ';CFG-2.0',
  '[POD_PORT]  0x378',
  '"fpga"  BYPASS8',
  '"dsp_a" QV740K42A5',
  '"dsp_b" QV740K88',
  '"dsp_a" QVARM901',
  '"link"  SPL',
  '{ "x" QVARM9xx }',
  '{ }',
}, '\n') .. '\n'

local function codes(s)
  local list = {}
  for _, d in ipairs(c.same_as_check(s)) do list[#list + 1] = tostring(d.code) end
  return table.concat(list, ' ')
end

c.run(function()
  local s = c.open('broken.cfg', board)
  c.check(codes(s) == '-383 class-id-prefix -374 -354', 'the findings: %s', codes(s))
  for _, d in ipairs(s.result.diagnostics) do
    if d.code == -374 then
      local note = d.relatedInformation[1]
      c.check(note.location.range.start.line == 3 and note.message:find('first device named'),
              'the duplicate name points at %s', vim.inspect(note))
    end
  end
  c.check(c.compile(s, 2) ~= 0, 'kvrbuild compiles the broken board')

  for _, step in ipairs({
    { code = '-383', fix = "write `BYPASS008'", left = 'class-id-prefix -374 -354' },
    { code = '-354', fix = 'add {} {}', left = 'class-id-prefix -374' },
  }) do
    c.quick_fix(s, step.code, step.fix)
    c.check(codes(s) == step.left, 'after "%s": %s', step.fix, codes(s))
  end

  -- Line 6: "dsp_a" QVARM901 named "dsp_d", typed into the buffer.
  c.after(s, function() vim.api.nvim_buf_set_text(s.buf, 5, 5, 5, 6, { 'd' }) end)
  c.check(codes(s) == 'class-id-prefix', 'after the rename by hand: %s', codes(s))
  c.check(c.compile(s, 2) == 0, 'the board with only a warning does not compile')

  c.quick_fix(s, 'class-id-prefix', "write `QV740K88xx'")
  c.check(codes(s) == '' and #s.result.diagnostics == 0, 'after the last fix: %s', codes(s))
  c.check(c.compile(s, 2) == 0, 'the fixed board does not compile')
  c.stop(s)
end)
