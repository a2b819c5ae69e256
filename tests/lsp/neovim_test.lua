-- Real Neovim as the client of `pipedex lsp`, configured by the guide's own
-- snippet: the diagnostics of the guide's catalogue with planted mistakes, a
-- hover, a jump to a definition and a completion list.
--   nvim --headless -u NONE -c "luafile tests/lsp/neovim_test.lua"  (from the source tree, pipedex on PATH)
local function check(ok, what)
  if not ok then
    io.stderr:write("neovim_test: " .. what .. "\n")
    vim.cmd("cquit 1")
  end
end

local ran, err = pcall(function()
  vim.cmd("filetype on")
  dofile("docs/examples/pipedex-lsp.lua")
  vim.cmd("edit docs/examples/catalogue/mistakes.xml")
  check(vim.wait(20000, function() return #vim.diagnostic.get(0) >= 10 end, 50), "no diagnostics arrived")
  local got = {}
  for _, d in ipairs(vim.diagnostic.get(0)) do
    table.insert(got, string.format("%d:%d %s %d", d.lnum + 1, d.col + 1, d.code, d.severity))
  end
  table.sort(got)
  local want = { "10:9 unknown-flag 1", "12:33 unknown-configuration 1", "12:7 elbow-no-angle 2",
                 "14:5 duplicate-name 2", "19:3 unknown-section 1", "32:32 unknown-endprep 1", "36:11 bad-number 1",
                 "6:17 unknown-pcftype 1", "8:9 undefined-skey 1", "9:9 unknown-operation 1" }
  check(table.concat(got, ", ") == table.concat(want, ", "), "diagnostics: " .. table.concat(got, ", "))

  local function ask(method, line, character)
    local params = { textDocument = vim.lsp.util.make_text_document_params(),
                     position = { line = line, character = character } }
    for _, answer in pairs(vim.lsp.buf_request_sync(0, method, params, 10000) or {}) do
      if answer.result then return answer.result end
    end
    return nil
  end
  local hover = ask("textDocument/hover", 6, 15)  -- ELBW in Elbow-90's SKEY list
  check(hover and hover.contents.value:find("default category FABRICATION, iso priority 0", 1, true),
        "hover: " .. vim.inspect(hover))
  local labels = {}
  for _, item in ipairs((ask("textDocument/completion", 5, 27) or {}).items or {}) do table.insert(labels, item.label) end
  check(table.concat(labels, " ") == "ELBOW", "completion of PCFTYPE: " .. table.concat(labels, " "))

  vim.api.nvim_win_set_cursor(0, { 7, 15 })
  vim.lsp.buf.definition()
  check(vim.wait(10000, function() return vim.api.nvim_win_get_cursor(0)[1] == 17 end, 50),
        "definition jumped to " .. vim.inspect(vim.api.nvim_win_get_cursor(0)))
  check(vim.api.nvim_win_get_cursor(0)[2] == 43, "definition column " .. vim.api.nvim_win_get_cursor(0)[2])
end)
check(ran, "failed: " .. tostring(err))
io.stdout:write("neovim_test: ok\n")
vim.cmd("qall!")
