#!/usr/bin/env python3
"""What the Python module adds to a keyed question, and what it saves over the
batch subprocess client. `make bench-python` builds what it needs and runs it.

    python3 bench/python_overhead.py --build build-bench

For each question: the C++ call (timed in C++ by the probe module built
beside the package, bench/python_probe.cpp, inside this process), the same
call through the module, and the same call through
docs/examples/batch_client.py talking to `pipedex batch`. All three ask an
instance loaded with the sample catalogue. Times are nanoseconds per call,
the best of five runs, C++ and module runs taken in turn so that both see the
same machine load.
"""
import argparse
import importlib.util
import pathlib
import sys
import timeit

SOURCE = pathlib.Path(__file__).resolve().parents[1]
QUESTIONS = [  # (operation, arguments)
    ("GetIsoPriority", ("ELBW",)),
    ("GetSKEYAttribute", ("ELBW", "Symbol")),
    ("GetSKEYData", ("ELBW",)),
]


def per_call(function, number):
    return timeit.timeit(function, number=number) / number * 1e9


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build-bench", help="build folder with the module, the probe and the CLI")
    build = (SOURCE / parser.parse_args().build).resolve()
    sys.path.insert(0, str(build / "python"))
    import pipedex

    found = importlib.util.spec_from_file_location("batch_client", SOURCE / "docs/examples/batch_client.py")
    batch_client = importlib.util.module_from_spec(found)
    found.loader.exec_module(batch_client)

    import pipedex_probe
    catalogue = pipedex.Pipedex()
    catalogue.GroupCount()
    client = batch_client.Catalogue(program=str(build / "bin" / "pipedex"))
    print(f"{'question':<18} {'C++ ns':>8} {'Python ns':>10} {'added ns':>9} {'batch ns':>10} {'batch/Python':>13}")
    try:
        for operation, args in QUESTIONS:
            method = getattr(catalogue, operation)
            cpp, python = [], []
            for _ in range(5):
                cpp.append(pipedex_probe.cpp_ns(operation, 200_000))
                python.append(per_call(lambda: method(*args), 200_000))
            batch = min(per_call(lambda: client.call(operation, *args), 2_000) for _ in range(3))
            print(f"{operation:<18} {min(cpp):8.0f} {min(python):10.0f} {min(python) - min(cpp):9.0f} "
                  f"{batch:10.0f} {batch / min(python):12.0f}x")
    finally:
        client.close()


if __name__ == "__main__":
    main()
