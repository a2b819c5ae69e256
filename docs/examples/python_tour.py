"""The catalogue from Python: look-ups, in-out results, lists, enumerations,
overlays and errors, on the shipped sample catalogue.

    python3 docs/examples/python_tour.py PROJECT_FILE
"""
import sys

import pipedex

catalogue = pipedex.Pipedex()  # finds SystemPipedex.xml on first use

# In-out parameters come back as a named tuple: the result, then the parameters.
data = catalogue.GetSKEYData("VTFL")
print(f"VTFL: {data.Description} [{data.CP_1_Prep} {data.CP_2_Prep}], found: {data.result}")
found, group, pcf_type, configuration, description = catalogue.GetComponentTypeData("Elbow-45")
print(f"Elbow-45: {description}, group {group}, PCF type {pcf_type}, configuration {configuration}")
print("ELBW symbol:", catalogue.GetSKEYAttribute("ELBW", "Symbol"),
      "iso priority:", catalogue.GetIsoPriority("ELBW"))

# Elbows by angle, with AngleTolerance as a property.
print(catalogue.GetAngleComponentData2("Elbow-90-V", "BW", "BW", 50))
catalogue.AngleTolerance = 20
print("52 degrees with tolerance 20:", catalogue.GetComponentTypeByAngle("ELBW", 52))

# Whole lists at once (each search helper replaces its own list, as the search does).
print("Groups:", ", ".join(catalogue.groups()))
print("Elbows:", catalogue.component_types("Elbows"))
print("Carry TEBW:", catalogue.component_types(search_by="SKEY", text="TEBW"))
print("Operations of Pipe-Nipple:", [op.name for op in catalogue.operations("Pipe-Nipple")])

# Enumerations are IntEnums; nodes are XML text (or None).
check = catalogue.PCFAttributeCheck("SPOOL-IDENTIFIER")
print(f"SPOOL-IDENTIFIER: {check.name} ({int(check)})")
valid = catalogue.GetValidData("ELBOW", "TEBW", pipedex.ValidDataMaster.vdM_PCFTYPE)
print(f"ELBOW + TEBW: {valid.result.name}, SKEY {valid.ValidData} ({valid.ValidComponentType})")
print("Project symbols:", catalogue.GetProjectSymbols())

# Overlays, and errors as pipedex.Error.
try:
    catalogue.LoadProjectXML("/no/such/ProjectPipedex.xml")
except pipedex.Error as e:
    print(f"error 0x{e.number & 0xFFFFFFFF:08X} ({e.source}): {e}")
print("Merged:", catalogue.LoadProjectXML(sys.argv[1]), "groups now:", len(catalogue.groups()))
