# The Python module against the batch protocol, which answers the same
# operations with the same parameter names: results, in-out parameters,
# nodes and enumerations must come back alike (enumerations pass as arguments
# too). Then errors, constructor arguments, the list helpers, a shared
# instance and the type stub's enumerations. The guide's examples, which the
# documentation test runs, show properties, result enumerations and the search
# helpers; the install test imports the installed package.
import ast
import concurrent.futures
import json
import subprocess

import pytest

import pipedex
from conftest import BUILD, SOURCE

M = pipedex.ValidDataMaster
CALLS = [  # (operation, arguments), answered by the module and by `pipedex batch`
    ("GetSKEYData", ["NOPE"]), ("GetComponentTypeData", ["Elbow-45"]), ("IsEndPrepConsistent", ["BW--", "VTFL"]),
    ("GetDefaultAllowedConnection", ["BW--"]), ("GetComponentTypeByAngle", ["ELBW", 50]),
    ("GetAngleComponentData", ["Elbow-90-V", 50]), ("GetAngleComponentData2", ["Elbow-90-V", "BW", "BW", 50]),
    ("GetValidData", ["ELBOW", "TEBW", M.vdM_PCFTYPE]), ("GetComponentTypeDefaultDataEntry", ["Elbow-NonStandard"]),
    ("GetComponentTypeDefaultConfiguration", ["Pipe"]), ("GetProjectSymbols", []), ("GetBoreConversionTable", []),
    ("DefaultElbows", []), ("OperationStringToEnum", ["Shorten"]), ("FlagStringToEnum", ["Variable"]),
    ("GetIDFAttribute", ["COMPONENT-ATTRIBUTE3"]), ("GetConvertedBore", ["MM", "\"", 3.5]), ("GetGroup", [2]),
    ("GetConfigurationForAngle", [100]),
]
ECHOED = {"IsEndPrepConsistent", "GetDefaultAllowedConnection"}  # inputs the protocol alone echoes in "out"


def batch(requests):
    program = BUILD / "bin" / "pipedex"
    lines = "".join(json.dumps(r) + "\n" for r in requests)
    out = subprocess.run([str(program), "batch"], input=lines, capture_output=True, text=True, check=True).stdout
    return [json.loads(line) for line in out.splitlines()]


def test_every_mapping_matches_the_batch_protocol(catalogue):
    answers = batch([{"call": op, "args": list(args)} for op, args in CALLS])
    for (op, args), answer in zip(CALLS, answers):
        got = getattr(catalogue, op)(*args)
        if "out" in answer and op not in ECHOED:  # a named tuple: the result (unless void), then the in-out parameters
            fields = got._asdict()
            assert fields.pop("result", None) == answer["result"] and fields == answer["out"], op
        elif op == "DefaultElbows":
            assert [e._asdict() for e in got] == answer["result"]
        else:
            assert got == answer["result"], (op, args)


ERRORS = [  # (call, number, source)
    (lambda c: c.AddSKEY("FLWX", "x", "NOPE"), 0x8004020A, "Pipedex.AddSKEY"),
    (lambda c: c.operations("No-Such-Type"), 91, "Pipedex"),
    # No catalogue where the options point: the error comes on first use.
    (lambda c: pipedex.Pipedex(component_dir="/nonexistent", registry=SOURCE / "none.reg").GroupCount(), 0x80040201,
     "Pipedex"),
]


@pytest.mark.parametrize("call,number,source", ERRORS)
def test_errors_carry_number_source_and_description(catalogue, call, number, source):
    with pytest.raises(pipedex.Error) as caught:
        call(catalogue)
    e = caught.value
    assert isinstance(e, Exception) and e.number == number - (1 << 32 if number >= 1 << 31 else 0)
    assert e.source == source and str(e) == e.description != ""


def test_constructor_arguments_are_checked(tmp_path):
    other = tmp_path / "plant.xml"  # a catalogue file of any name is the system file
    other.write_bytes((SOURCE / "data" / "SystemPipedex.xml").read_bytes())
    assert pipedex.Pipedex(catalogue=other).SystemXMLPath() == str(other)
    for bad, error in [(dict(catalogue=tmp_path / "SystemPipedex.xml"), FileNotFoundError),
                       (dict(catalogue="x/SystemPipedex.xml", component_dir="x"), ValueError),
                       (dict(folder="x"), TypeError)]:
        with pytest.raises(error):
            pipedex.Pipedex(**bad)
    with pytest.raises(TypeError):
        pipedex.Pipedex().GetSKEYData(42)


def test_list_helpers_replace_only_their_own_list(catalogue):
    assert catalogue.FindSKEYs("Olet-Weld") == 1
    assert catalogue.component_types(None, None, "TEBW") == ["Tee-Equal", "Tee-Reducing"]
    assert catalogue.GetSKEY(1) == "OL**"  # the SKEY list of the caller is untouched
    assert catalogue.skeys("Olet-Weld") == ["OL**"] and len(catalogue.skeys()) == catalogue.SKEYCount() == 45
    assert catalogue.end_preps() == ["BW--", "SW--", "SC--", "FL--", "PL--", "CP--", "GR--"]
    assert catalogue.pcf_types("ELBW", 105) == ["ELBOW"]


def test_threads_share_one_instance_safely():
    shared = pipedex.Pipedex()
    with concurrent.futures.ThreadPoolExecutor(6) as pool:
        answers = list(pool.map(lambda _: (shared.GetSKEYData("ELBW").Description, shared.GroupCount()), range(6)))
    assert answers == [("Elbow, butt-welded", 11)] * 6


def test_the_stub_has_the_enumerations_and_every_method_a_docstring():
    # The stub's and the module's methods and parameters are checked against the protocol's table by ProtocolTable.
    stub = ast.parse((SOURCE / "python/pipedex/__init__.pyi").read_text())
    classes = {n.name: n for n in stub.body if isinstance(n, ast.ClassDef)}
    for name in (n for n in dir(pipedex.Pipedex) if not n.startswith("_") and n != "AngleTolerance"):
        assert (getattr(pipedex.Pipedex, name).__doc__ or "").strip().splitlines()[-1].strip(), name
    for enum in ("Operations", "Flags", "AttCheck", "ValidDataMaster", "ValidDataReturn"):
        members = {t.id: v.value.value for v in classes[enum].body for t in v.targets}
        assert members == {m.name: m.value for m in getattr(pipedex, enum)}, enum
