"""Pipedex: questions and answers about a piping material catalogue, in-process.

    import pipedex
    with pipedex.Pipedex() as catalogue:   # or Pipedex(catalogue=..., component_dir=..., registry=..., locale=...)
        catalogue.GetSKEYData("ELBW").Description

Every operation of the C++ class Pipedex has its own method, with the same
name and parameter names. Operations with in-out parameters return a named
tuple: their result first (as `result`, when they have one), then the in-out
parameters. Nodes come back as XML text or None, enumerations as IntEnums,
failures as pipedex.Error. The list helpers below read a whole list at once.
"""

try:
    from . import _pipedex
except ImportError as error:
    import pathlib as _pathlib
    if not any(_pathlib.Path(__file__).parent.glob("_pipedex*.so")):
        raise ImportError("the compiled extension _pipedex is not built: run `make demo` in the source folder "
                          "(or `cmake --build build --target pipedex_python`)") from None
    raise
import inspect as _inspect

from ._pipedex import (AngleComponentData, AngleComponentData2, AttCheck, ComponentTypeByAngle, ComponentTypeData,
                       DefaultElbow, Error, Flags, Operations, SKEYData, ValidData, ValidDataMaster, ValidDataReturn,
                       __version__)

__all__ = ["Pipedex", "Error", "Operations", "Flags", "AttCheck", "ValidDataMaster", "ValidDataReturn",
           "ComponentTypeData", "SKEYData", "ComponentTypeByAngle", "AngleComponentData", "AngleComponentData2",
           "ValidData", "DefaultElbow"]


class Pipedex(_pipedex.Pipedex):
    __doc__ = _pipedex.Pipedex.__doc__
    # inspect.signature(Pipedex): the keyword arguments of the compiled __init__, without self.
    __signature__ = _inspect.Signature(list(_inspect.signature(_pipedex.Pipedex.__init__).parameters.values())[1:])

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    def groups(self):
        """Every group, in catalogue order. Searches nothing."""
        return [self.GetGroup(i) for i in range(1, self.GroupCount() + 1)]

    def component_types(self, group=None, search_by=None, text=None):
        """The component types FindComponentTypes(group, search_by, text) finds (None = "").

        Like that search it replaces the component type list of the instance."""
        found = self.FindComponentTypes(group or "", search_by or "", text or "")
        return [self.GetComponentType(i) for i in range(1, found + 1)]

    def skeys(self, component_type=None):
        """The SKEYs of a component type, or every SKEY (None).

        Like FindSKEYs it replaces the SKEY list of the instance."""
        found = self.FindSKEYs(component_type or "")
        return [self.GetSKEY(i) for i in range(1, found + 1)]

    def end_preps(self):
        """Every end preparation code, in catalogue order. Searches nothing."""
        return [self.GetEndPrep(i) for i in range(1, self.EndPrepCount() + 1)]

    def operations(self, component_type):
        """The operations a component type supports, as Operations members.

        Like FindOperations it replaces the operation list of the instance, and
        an unknown component type raises Error 91. The members come from the
        operation names (GetOperationEnum reads the numbers that only the
        catalogue's own operation list carries)."""
        found = self.FindOperations(component_type)
        return [self.OperationStringToEnum(self.GetOperation(i)) for i in range(1, found + 1)]

    def pcf_types(self, skey, record):
        """The PCF types that fit an SKEY and an IDF record number.

        Like FindPCFTYPEs it replaces the PCF type list of the instance."""
        found = self.FindPCFTYPEs(skey, record)
        return [self.GetPCFTYPE(i) for i in range(1, found + 1)]
