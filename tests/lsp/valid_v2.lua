-- The example board of version 2: no diagnostic; hover and the outline tell its scan path; every
-- class ID completion offers on the main path, put in, compiles; formatted through vim.lsp.util
-- it compiles to the very bytes it compiled to before.
local c = require('board_client')
c.run(function()
  local s = c.open('board.cfg', c.read(c.examples .. '/board.cfg'))
  c.check(#s.result.diagnostics == 0, 'a valid board has diagnostics: %s', vim.inspect(s.result))
  local status, before = c.compile(s, 2)
  c.check(status == 0 and before, 'the example does not compile (%d)', status)

  -- "dsp_b" QV740K8801, the first device of the linker's first group, hovered on its class ID.
  local hover = c.request(s, 'textDocument/hover', { line = 17, column = 12 }).contents.value
  for _, said in ipairs({ 'family `QV740K88xx`', 'IR 38', 'Device 4 of 7 from TDI',
                          'sub-path 0 of linker `link`', 'IR bits from TDI: 52, to TDO: 46' }) do
    c.check(hover:find(said, 1, true), 'the hover does not say "%s": %s', said, hover)
  end
  -- "dsp_c", the second of that group, counts dsp_b before it.
  hover = c.request(s, 'textDocument/hover', { line = 17, column = 32 }).contents.value
  c.check(hover:find('Device 5 of 7 from TDI', 1, true) and hover:find('TDI: 90, to TDO: 8', 1, true),
          'the hover of dsp_c: %s', hover)
  -- A variable: its own section of the information text, and no other.
  hover = c.request(s, 'textDocument/hover', { line = 8, column = 3 }).contents.value
  local _, sections = hover:gsub('THE VARIABLE', '')
  c.check(hover:find('THE VARIABLE [VORTA_ECOMMODE]', 1, true) and sections == 1,
          'the hover of [VORTA_ECOMMODE]: %s', hover)

  local names = {}
  for _, symbol in ipairs(c.request(s, 'textDocument/documentSymbol', {})) do
    names[#names + 1] = symbol.name
    if symbol.name == 'link' then
      c.check(#symbol.children == 4, 'the linker has %d sub-paths', #symbol.children)
      local first = symbol.children[1]
      c.check(#first.children == 2 and first.children[2].name == 'dsp_c' and
              first.detail == '2 devices, 76 IR bits', 'sub-path 0: %s', vim.inspect(first))
    end
  end
  c.check(table.concat(names, ' ') == '[POD_DRVR] [POD_PORT] [VORTA_ECOMMODE] [VORTA_TCLK_PROGRAM] '
          .. '[UTILITY_HI_OPTIONS] fpga dsp_a link arm_a arm_b', 'the outline: %s', vim.inspect(names))

  -- Each class ID offered for "dsp_a" QV740K42A5 on the main path, and for "dsp_b" QV740K8801 in
  -- a linker's group, is one kvrbuild takes there (a linker with its four groups); an addressable
  -- scan port, which kvrbuild takes nowhere, is never offered.
  for _, place in ipairs({ { line = 15, column = 11 }, { line = 17, column = 12 } }) do
    local items = c.request(s, 'textDocument/completion', place)
    items = items.items or items
    c.check(#items > 10, 'only %d class IDs offered at line %d', #items, place.line)
    local port, bypass = false, false
    for _, item in ipairs(items) do
      port = port or item.label:sub(1, 3) == 'ASP'
      bypass = bypass or item.label == 'BYPASS008'
      local edit = vim.deepcopy(item.textEdit)
      if item.label == 'SPL' then edit.newText = edit.newText .. ' {} {} {} {}' end
      vim.lsp.util.apply_text_edits({ edit }, s.buf, s.client.offset_encoding)
      c.check(c.compile(s, 2) == 0, 'the class ID %s offered at line %d does not compile there',
              item.label, place.line)
      vim.cmd('silent undo')
    end
    c.check(not port, 'an addressable scan port offered at line %d: %s', place.line, port)
    c.check(bypass, 'no bypass of 8 IR bits offered at line %d', place.line)
  end
  c.check(c.compile(s, 2) == 0, 'undone completions leave a board that does not compile')

  c.check(c.format(s) > 0, 'the example is not in the canonical layout, yet nothing changed')
  local formatted_status, after = c.compile(s, 2)
  c.check(formatted_status == 0 and after == before, 'the formatted board compiles to other bytes')
  c.stop(s)
end)
