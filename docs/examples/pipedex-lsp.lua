-- Neovim (0.7 or later): check catalogue files with `pipedex lsp` as you type.
-- Put this in ~/.config/nvim/init.lua; every XML buffer gets the one server.
local pipedex_client
vim.api.nvim_create_autocmd("FileType", {
  pattern = "xml",
  callback = function(args)
    pipedex_client = pipedex_client or vim.lsp.start_client({
      name = "pipedex",
      cmd = { "pipedex", "lsp" },
      root_dir = vim.fn.getcwd(),
    })
    vim.lsp.buf_attach_client(args.buf, pipedex_client)
  end,
})
