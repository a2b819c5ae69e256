# The Python module against the batch protocol, which answers the same
# operations with the same parameter names: results, in-out parameters,
# nodes and enumerations must come back alike (enumerations pass as arguments
# too). Then errors, bad arguments, paths, signatures, closing, the list
# helpers, a shared instance and the type stub's enumerations. The guide's examples, which the
# documentation test runs, show properties, result enumerations and the search
# helpers; the install test imports the installed package.
import ast
import concurrent.futures
import inspect
import json
import os
import pathlib
import re
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


def catalogue_copy(folder, name="plant.xml"):
    """A copy of the sample catalogue under any name (bytes or str), as a path of the same type."""
    path = os.path.join(folder, name)
    with open(path, "wb") as out:
        out.write((SOURCE / "data" / "SystemPipedex.xml").read_bytes())
    return path


def link_loop(tmp):
    os.symlink(tmp / "loop.xml", tmp / "loop.xml")
    return tmp / "loop.xml"


def vanished(tmp):  # a named catalogue file removed before the first call
    catalogue = pipedex.Pipedex(catalogue=catalogue_copy(tmp))
    os.remove(tmp / "plant.xml")
    return catalogue


def closed(catalogue):
    catalogue.close()
    return catalogue


ERRORS = [  # (call, number, source, part of the description): bytes that are not UTF-8 read \xNN
    (lambda c, tmp: c.AddSKEY("FLWX", "x", "NOPE"), 0x8004020A, "Pipedex.AddSKEY", "NOPE"),
    (lambda c, tmp: c.AddSKEY("FLWX", "x", b"NO\xffPE"), 0x8004020A, "Pipedex.AddSKEY", "NO\\xffPE"),
    (lambda c, tmp: c.operations("No-Such-Type"), 91, "Pipedex", 'no component type "No-Such-Type"'),
    (lambda c, tmp: c.LoadProjectXML(b"/no/such/\xff"), 0x80040212, "Pipedex", "/no/such/\\xff"),
    (lambda c, tmp: c.DumpXML(b"/no/such/\xff/x.xml"), 0x80004005, "Pipedex", "\\xff"),
    (lambda c, tmp: closed(c).GroupCount(), 91, "pipedex-python", "closed"),
    (lambda c, tmp: closed(closed(c)).AngleTolerance, 91, "pipedex-python", "closed"),
    (lambda c, tmp: closed(c).operations("Pipe"), 91, "pipedex-python", "the catalogue is closed"),
    (lambda c, tmp: pipedex.Pipedex(catalogue=link_loop(tmp)), 0x80040202, "pipedex-python", "symbolic links"),
    (lambda c, tmp: vanished(tmp).GroupCount(), 0x80040202, "Pipedex", "plant.xml does not exist"),
    # No catalogue where the options point: the error comes on first use.
    (lambda c, tmp: pipedex.Pipedex(component_dir="/nonexistent", registry=SOURCE / "none.reg").GroupCount(),
     0x80040201, "Pipedex", "not specified in registry"),
]


@pytest.mark.parametrize("call,number,source,text", ERRORS)
def test_errors_carry_number_source_and_description(catalogue, tmp_path, call, number, source, text):
    with pytest.raises(pipedex.Error) as caught:
        call(catalogue, tmp_path)
    e = caught.value
    assert isinstance(e, Exception) and e.number == number - (1 << 32 if number >= 1 << 31 else 0)
    assert e.source == source and str(e) == e.description and text in e.description


BAD_ARGUMENTS = [  # (call, exception, what its message names)
    (lambda c: c.GetSKEYData(42), TypeError, ["GetSKEYData(", "SKEY: str"]),
    (lambda c: c.LoadProjectXML(3.5), TypeError, ["LoadProjectXML(", "ProjectXML: str | bytes | os.PathLike"]),
    (lambda c: setattr(c, "AngleTolerance", "1"), TypeError, ["AngleTolerance(", "value: float"]),
    (lambda c: pipedex.Pipedex(catalogue=42), TypeError, ["__init__(", "catalogue: Optional"]),
    (lambda c: pipedex.Pipedex(folder="x"), TypeError, ["__init__(", "component_dir"]),
    (lambda c: c.LoadProjectXML("a\0b"), ValueError, ["null byte"]),
    (lambda c: setattr(c, "AngleTolerance", float("nan")), ValueError, ["AngleTolerance", "nan"]),
    (lambda c: setattr(c, "AngleTolerance", -float("inf")), ValueError, ["AngleTolerance", "-inf"]),
    (lambda c: pipedex.Pipedex(catalogue="x/SystemPipedex.xml", component_dir="x"), ValueError, ["not both"]),
    (lambda c: pipedex.Pipedex(catalogue="/no/such/plant.xml"), FileNotFoundError, ["/no/such/plant.xml"]),
]


@pytest.mark.parametrize("call,error,words", BAD_ARGUMENTS)
def test_bad_arguments_raise_python_errors_that_name_them(catalogue, call, error, words):
    with pytest.raises(error) as caught:
        call(catalogue)
    assert all(word in str(caught.value) for word in words), str(caught.value)
    assert catalogue.AngleTolerance == 1.0  # nothing stored


class FsPath:
    def __init__(self, path):
        self.path = path

    def __fspath__(self):
        return self.path


PATH_FORMS = [str, os.fsencode, pathlib.Path, FsPath, lambda p: FsPath(os.fsencode(p))]  # of a str path


@pytest.mark.parametrize("name", ["plant.xml", "Rohrklasse \udcff.xml"])  # the second: os.fsdecode of a byte \xff
@pytest.mark.parametrize("form", PATH_FORMS)
def test_paths_are_str_bytes_or_path_like(tmp_path, name, form):
    path = catalogue_copy(str(tmp_path), name)
    catalogue = pipedex.Pipedex(catalogue=form(path))
    assert catalogue.SystemXMLPath() == path and catalogue.LoadProjectXML(form(str(SOURCE / "examples/ProjectPipedex.xml")))
    catalogue.DumpXML(form(path + ".saved"))
    assert os.path.getsize(path + ".saved") > 0 and catalogue.ProjectXMLPath().endswith("ProjectPipedex.xml")


METHODS = sorted(n for n in dir(pipedex.Pipedex) if not n.startswith("_") and n not in ("AngleTolerance", "closed"))


@pytest.mark.parametrize("name", METHODS)
def test_every_method_has_a_signature_and_its_docstring_the_types(name):
    method = getattr(pipedex.Pipedex, name)
    parameters = list(inspect.signature(method).parameters)
    if name[0].isupper():  # compiled: the docstring starts with the typed signature line
        typed = method.__doc__.splitlines()[0]
        assert re.findall(r"(\w+):", typed[:typed.rindex(") -> ")]) == parameters and "object" not in typed, typed
    assert parameters[0] == "self" and "self" not in inspect.signature(getattr(pipedex.Pipedex(), name)).parameters


def test_close_context_manager_repr_and_version(tmp_path):
    path = catalogue_copy(str(tmp_path))
    assert str(inspect.signature(pipedex.Pipedex)) == "(*, component_dir=None, registry=None, locale=None, catalogue=None)"
    with pipedex.Pipedex(catalogue=path) as catalogue:
        assert repr(catalogue) == f"<pipedex.Pipedex catalogue={path!r} not loaded>" and not catalogue.closed
        catalogue.GroupCount()
        assert repr(catalogue) == f"<pipedex.Pipedex catalogue={path!r} loaded>"
    assert catalogue.closed and repr(catalogue) == "<pipedex.Pipedex closed>"
    assert repr(pipedex.Pipedex()) == "<pipedex.Pipedex not loaded>"
    assert pipedex.__version__ == re.search(r"project\(Pipedex VERSION ([\d.]+)", (SOURCE / "CMakeLists.txt").read_text())[1]


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
