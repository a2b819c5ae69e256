# Shared fixtures: the source and build folders, and a catalogue instance on
# the sample catalogue copied beside the built library.
import os
import pathlib

import pytest

import pipedex

SOURCE = pathlib.Path(__file__).resolve().parents[2]
BUILD = pathlib.Path(os.environ.get("PIPEDEX_BINARY_DIR", SOURCE / "build"))


@pytest.fixture
def catalogue():
    return pipedex.Pipedex()
