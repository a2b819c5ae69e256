#!/usr/bin/env python3
"""Drives `pipedex batch` from Python: one process answers every call."""
import json
import subprocess
import sys


class PipedexError(Exception):
    """An error answered by the component or by the CLI."""

    def __init__(self, number, source, description):
        super().__init__(f"0x{number & 0xFFFFFFFF:08X} ({source}): {description}")
        self.number, self.source, self.description = number, source, description


class Catalogue:
    """One `pipedex batch` process. call() returns (result, out)."""

    def __init__(self, *global_args, program="pipedex"):
        self.process = subprocess.Popen([program, *global_args, "batch"], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True, encoding="utf-8")

    def _ask(self, request):
        self.process.stdin.write(json.dumps(request) + "\n")
        self.process.stdin.flush()
        answer = json.loads(self.process.stdout.readline())
        if "error" in answer:
            raise PipedexError(**answer["error"])
        return answer

    def call(self, operation, *args):
        answer = self._ask({"call": operation, "args": list(args)})
        return answer["result"], answer.get("out", {})

    def set(self, name, value):
        self._ask({"set": name, "value": value})

    def close(self):
        self.process.stdin.close()
        self.process.wait()


def main():
    catalogue = Catalogue(*sys.argv[1:])
    try:
        count, _ = catalogue.call("FindComponentTypes", "Elbows", "SKEY", "")
        names = [catalogue.call("GetComponentType", i)[0] for i in range(1, count + 1)]
        for name in names:
            _, data = catalogue.call("GetComponentTypeData", name)
            print(f"{name}: {data['Description']} ({data['PCFTYPE']}, {data['Configuration']})")

        found, data = catalogue.call("GetSKEYData", "VTFL")
        print("VTFL:", found, data["Description"], data["CP_1_Prep"], data["CP_2_Prep"])

        catalogue.set("AngleTolerance", 20)
        component_type, out = catalogue.call("GetComponentTypeByAngle", "ELBW", 52)
        print("52 degrees with tolerance 20:", component_type, out)

        try:
            catalogue.call("LoadProjectXML", "/no/such/project.xml")
        except PipedexError as e:
            print("error", e)
    finally:
        catalogue.close()


if __name__ == "__main__":
    main()
