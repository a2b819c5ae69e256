;; Emacs 29 (eglot built in; earlier Emacs: install eglot): check catalogue
;; files with `pipedex lsp`. Put this in your init file, open a catalogue
;; and run M-x eglot (or keep the hook to start it for every XML buffer).
(with-eval-after-load 'eglot
  (add-to-list 'eglot-server-programs '(nxml-mode . ("pipedex" "lsp"))))
(add-hook 'nxml-mode-hook #'eglot-ensure)
