"""The package without its compiled extension says how to build it."""
import pathlib
import shutil
import subprocess
import sys

import pipedex


def test_a_missing_extension_says_how_to_build_it(tmp_path):
    package = tmp_path / "pipedex"
    package.mkdir()
    shutil.copy(pathlib.Path(pipedex.__file__), package / "__init__.py")
    run = subprocess.run([sys.executable, "-c", "import pipedex"], cwd=tmp_path, capture_output=True, text=True,
                         env={"PYTHONPATH": str(tmp_path)})
    assert run.returncode != 0
    assert "the compiled extension _pipedex is not built: run `make demo`" in run.stderr
    assert "circular import" not in run.stderr
