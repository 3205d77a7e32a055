-- A line with characters of two, three and four UTF-8 bytes (the last two UTF-16 code units)
-- before its second error, in both position encodings: Neovim shows each finding at the byte
-- --check names, the quick fix edits the right bytes, and hover stands on the right token.
local c = require('board_client')
local line = '"a" DBM "b\u{3A9}\u{20AC}\u{1D11E}" DBM "c" BYPASS8 ; \u{E9}'

c.run(function()
  for _, encoding in ipairs({ 'utf-16', 'utf-8' }) do
    local s = c.open(encoding .. '.cfg', ';CFG-2.0\n' .. line .. '\n', encoding)
    local shown = c.same_as_check(s)
    c.check(#shown == 2 and shown[2].col == line:find('BYPASS8', 1, true) - 1,
            '%s: the findings %s', encoding, vim.inspect(shown))
    c.quick_fix(s, '-383', "write `BYPASS008'")
    local fixed = vim.api.nvim_buf_get_lines(s.buf, 1, 2, true)[1]
    c.check(fixed == line:gsub('BYPASS8', 'BYPASS008'), '%s: the fixed line: %s', encoding, fixed)

    local column = fixed:find('BYPASS008', 1, true) - 1
    local hover = c.request(s, 'textDocument/hover', { line = 2, column = column + 2 })
    local start = hover.range.start.character
    if encoding == 'utf-16' then start = vim.str_byteindex(fixed, start, true) end
    c.check(start == column and hover.contents.value:find('BYPASS008', 1, true),
            '%s: the hover at byte %d of %d: %s', encoding, start, column, vim.inspect(hover))

    c.after(s, function() vim.api.nvim_buf_set_text(s.buf, 1, 10, 1, 19, {}) end)
    c.check(#c.same_as_check(s) == 0 and c.compile(s, 2) == 0, '%s: the fixed board', encoding)
    c.stop(s)
  end
end)
