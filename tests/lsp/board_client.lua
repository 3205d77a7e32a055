-- What the scenarios share: Neovim's own LSP client started on `kvrview --lsp', a board opened
-- in a buffer, the findings of `kvrview --check' to hold the diagnostics against, and kvrbuild to
-- compile what the buffer became. Everything goes through vim.lsp and vim.lsp.util as an editor's
-- user would have it; a failed check raises an error, which run() turns into exit status 1.
local M = {}

local view, build, work = vim.env.KVR_VIEW, vim.env.KVR_BUILD, vim.env.KVR_WORK
M.examples = vim.env.KVR_EXAMPLES

function M.check(holds, ...)
  if not holds then error(string.format(...), 2) end
end

function M.wait(what, condition)
  M.check(vim.wait(10000, condition, 10), 'no %s within 10 s', what)
end

function M.read(path)
  local file = assert(io.open(path, 'rb'))
  local text = file:read('*a')
  file:close()
  return text
end

local function write(path, text)
  local file = assert(io.open(path, 'wb'))
  file:write(text)
  file:close()
end

-- Writes `text` as `name` in the work folder, edits it and attaches a client to its buffer, which
-- offers UTF-8 positions when `encoding` is 'utf-8'; returns the session once the first
-- diagnostics have come.
function M.open(name, text, encoding)
  local s = { path = work .. '/' .. name, published = 0, exit_code = nil }
  write(s.path, text)
  vim.cmd('edit! ' .. vim.fn.fnameescape(s.path))
  s.buf = vim.api.nvim_get_current_buf()
  local capabilities = vim.lsp.protocol.make_client_capabilities()
  if encoding == 'utf-8' then
    capabilities.general = { positionEncodings = { 'utf-8', 'utf-16' } }
    capabilities.offsetEncoding = { 'utf-8', 'utf-16' }
  end
  s.id = vim.lsp.start_client({
    name = 'kvrview',
    cmd = { view, '--lsp' },
    root_dir = work,
    offset_encoding = encoding,
    capabilities = capabilities,
    handlers = {
      ['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
        vim.lsp.diagnostic.on_publish_diagnostics(err, result, ctx, config)
        s.published = s.published + 1
        s.result = result
      end,
    },
    on_exit = function(code) s.exit_code = code end,
  })
  M.check(s.id, 'Neovim could not start %s --lsp', view)
  vim.lsp.buf_attach_client(s.buf, s.id)
  M.wait('diagnostics', function() return s.published > 0 end)
  s.client = vim.lsp.get_client_by_id(s.id)
  if encoding then
    M.check(s.client.offset_encoding == encoding, 'positions in %s, not %s',
            s.client.offset_encoding, encoding)
  end
  return s
end

-- The diagnostics after an edit made by `change', those of the buffer's new version.
function M.after(s, change)
  local before = s.published
  change()
  M.wait('diagnostics after the edit', function()
    return s.published > before and s.result.version == vim.lsp.util.buf_versions[s.buf]
  end)
end

-- The one answer of the server to a request about the buffer at (line, byte column), both from 1
-- and 0 as Neovim's cursor counts them.
function M.request(s, method, params_or_place)
  local params = params_or_place
  if params_or_place.line then
    vim.api.nvim_win_set_cursor(0, { params_or_place.line, params_or_place.column })
    params = vim.lsp.util.make_position_params(0, s.client.offset_encoding)
  end
  params.textDocument = params.textDocument or vim.lsp.util.make_text_document_params(s.buf)
  local answer, err = s.client.request_sync(method, params, 10000, s.buf)
  M.check(answer and not answer.err, '%s failed: %s', method, vim.inspect(answer or err))
  return answer.result
end

-- The headlines of `kvrview --check' for the buffer's file as it is on disk: line, byte column
-- (both from 1), severity and code, in the order --check gives them.
function M.check_findings(s)
  local findings = {}
  local out = vim.fn.system({ view, '--check', s.path })
  for line, column, severity, code in out:gmatch('[^\n]-:(%d+):(%d+): (%a+): [^\n]*%[([^%]\n]+)%]\n') do
    if severity == 'error' or severity == 'warning' then
      findings[#findings + 1] = { line = tonumber(line), column = tonumber(column),
                                  severity = severity, code = code:gsub('^%-W', '') }
    end
  end
  return findings
end

-- Neovim's diagnostics of the buffer must be the findings of --check, each where it stands.
function M.same_as_check(s)
  vim.cmd('silent write!')
  local expected = M.check_findings(s)
  local shown = vim.diagnostic.get(s.buf)
  table.sort(shown, function(a, b)
    return a.lnum < b.lnum or (a.lnum == b.lnum and a.col < b.col)
  end)
  M.check(#shown == #expected, '%d diagnostics, --check gives %d: %s', #shown, #expected,
          vim.inspect(shown))
  for i, want in ipairs(expected) do
    local got = shown[i]
    local severity = got.severity == vim.diagnostic.severity.ERROR and 'error' or 'warning'
    M.check(got.lnum + 1 == want.line and got.col + 1 == want.column,
            'diagnostic %d at %d:%d, --check says %d:%d', i, got.lnum + 1, got.col + 1,
            want.line, want.column)
    M.check(severity == want.severity and tostring(got.code) == want.code,
            'diagnostic %d is %s %s, --check says %s %s', i, severity, tostring(got.code),
            want.severity, want.code)
  end
  return shown
end

-- Applies the quick fix titled `title' that the server offers at the diagnostic of `code'.
function M.quick_fix(s, code, title)
  for _, d in ipairs(vim.diagnostic.get(s.buf)) do
    if tostring(d.code) == code then
      local actions = M.request(s, 'textDocument/codeAction', {
        range = { start = { line = d.lnum, character = 0 },
                  ['end'] = { line = d.end_lnum + 1, character = 0 } },
        context = { diagnostics = vim.lsp.diagnostic.get_line_diagnostics(s.buf, d.lnum) },
      }) or {}
      -- The first fix of an error is the one to prefer; no fix of a warning is.
      local seen = false
      for _, action in ipairs(actions) do
        local mine = tostring(((action.diagnostics or {})[1] or {}).code) == code
        if action.title == title then
          M.check(action.kind == 'quickfix', '%s is a %s', title, tostring(action.kind))
          local preferred = mine and not seen and d.severity == vim.diagnostic.severity.ERROR
          M.check((action.isPreferred == true) == preferred, '%s preferred: %s', title,
                  tostring(action.isPreferred))
          M.after(s, function()
            vim.lsp.util.apply_workspace_edit(action.edit, s.client.offset_encoding)
          end)
          return
        end
        seen = seen or mine
      end
      error(string.format('no quick fix "%s" at %s among %s', title, code, vim.inspect(actions)))
    end
  end
  error('no diagnostic ' .. code)
end

-- Formats the buffer through the server and vim.lsp.util; the second time must change nothing.
function M.format(s)
  local params = vim.lsp.util.make_formatting_params({ tabSize = 2, insertSpaces = true })
  local edits = M.request(s, 'textDocument/formatting', params) or {}
  M.after(s, function() vim.lsp.util.apply_text_edits(edits, s.buf, s.client.offset_encoding) end)
  local again = M.request(s, 'textDocument/formatting', params) or {}
  M.check(#again == 0, 'formatting the formatted text edits it again: %s', vim.inspect(again))
  return #edits
end

-- Writes the buffer and compiles it with `kvrbuild -gVERSION'; returns kvrbuild's exit status
-- and the database bytes.
function M.compile(s, version)
  vim.cmd('silent write!')
  local database = s.path .. '.dat'
  os.remove(database)
  vim.fn.system({ build, '-g' .. version, '--', s.path, database })
  local status = vim.v.shell_error
  local ok, bytes = pcall(M.read, database)
  return status, ok and bytes or nil
end

-- The client stops the server: shutdown then exit, and the server's status is 0.
function M.stop(s)
  vim.lsp.stop_client(s.id)
  M.wait('exit of the server', function() return s.exit_code ~= nil end)
  M.check(s.exit_code == 0, 'the server exited with %d after shutdown and exit', s.exit_code)
end

function M.run(scenario)
  local ok, message = xpcall(scenario, debug.traceback)
  if not ok then
    io.stderr:write(message .. '\n')
    vim.cmd('cquit 1')
  end
  vim.cmd('qall!')
end

return M
