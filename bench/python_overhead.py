#!/usr/bin/env python3
"""What the Python module adds to a keyed question, and what it saves over the
batch subprocess client. `make bench-python` builds what it needs and runs it.

    python3 bench/python_overhead.py --build build-bench

For each question: the C++ call (pipedex-bench, Google Benchmark, sample
catalogue), the same call through the module, and the same call through
docs/examples/batch_client.py talking to `pipedex batch`. Times are the best
of several repeats, in nanoseconds per call.
"""
import argparse
import importlib.util
import json
import pathlib
import subprocess
import sys
import tempfile
import timeit

SOURCE = pathlib.Path(__file__).resolve().parents[1]
QUESTIONS = [  # (benchmark case, operation, arguments)
    ("GetIsoPriority", "GetIsoPriority", ("ELBW",)),
    ("GetSKEYAttribute", "GetSKEYAttribute", ("ELBW", "Symbol")),
    ("GetSKEYData", "GetSKEYData", ("ELBW",)),
]


def cpp_times(build):
    """Nanoseconds per C++ call of each question, from pipedex-bench."""
    names = "|".join(case for case, _, _ in QUESTIONS)
    with tempfile.TemporaryDirectory() as data, tempfile.NamedTemporaryFile(suffix=".json") as out:
        subprocess.run([str(build / "bin" / "pipedex-bench"), "--data-dir", data, "--sizes", "sample",
                        f"--benchmark_filter=^op/({names})/sample$", "--benchmark_repetitions=3",
                        f"--benchmark_out={out.name}", "--benchmark_out_format=json"],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        runs = json.load(open(out.name))["benchmarks"]
    times = {}
    for run in runs:
        if run.get("run_type") == "iteration":
            case = run["name"].split("/")[1]
            scale = {"ns": 1, "us": 1e3, "ms": 1e6}[run["time_unit"]]
            times[case] = min(times.get(case, float("inf")), run["cpu_time"] * scale)
    return times


def per_call(function, number):
    return min(timeit.repeat(function, number=number, repeat=5)) / number * 1e9


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build-bench", help="build folder with the module, the CLI and pipedex-bench")
    build = (SOURCE / parser.parse_args().build).resolve()
    sys.path.insert(0, str(build / "python"))
    import pipedex

    spec = importlib.util.spec_from_file_location("batch_client", SOURCE / "docs/examples/batch_client.py")
    batch_client = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(batch_client)

    cpp = cpp_times(build)
    catalogue = pipedex.Pipedex()
    catalogue.GroupCount()
    client = batch_client.Catalogue(program=str(build / "bin" / "pipedex"))
    print(f"{'question':<18} {'C++ ns':>8} {'Python ns':>10} {'added ns':>9} {'batch ns':>10} {'batch/Python':>13}")
    try:
        for case, operation, args in QUESTIONS:
            method = getattr(catalogue, operation)
            python = per_call(lambda: method(*args), 200_000)
            batch = per_call(lambda: client.call(operation, *args), 5_000)
            print(f"{case:<18} {cpp[case]:8.0f} {python:10.0f} {python - cpp[case]:9.0f} {batch:10.0f} "
                  f"{batch / python:12.0f}x")
    finally:
        client.close()


if __name__ == "__main__":
    main()
