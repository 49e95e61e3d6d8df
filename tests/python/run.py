"""Runs the Python module's tests (ctest's vdacheck_python): fails, naming what to install, when pytest, NumPy or
the module is missing, and when pytest collects no test."""

import pathlib
import sys

INSTALL = "install python3-dev pybind11-dev python3-pytest python3-numpy (scripts/install-deps.sh or .ci/run does)"

for name, package in [("pytest", "python3-pytest"), ("numpy", "python3-numpy")]:
    try:
        __import__(name)
    except ImportError as e:
        sys.exit(f"vdacheck_python: {package} is missing ({e}): {INSTALL}")
try:
    import vdacheck  # noqa: F401
except ImportError as e:
    sys.exit(f"vdacheck_python: the module vdacheck cannot be imported ({e}): build it, or {INSTALL}")

import pytest  # noqa: E402

status = pytest.main([str(pathlib.Path(__file__).parent), "-q", "-p", "no:cacheprovider", *sys.argv[1:]])
sys.exit(1 if status == pytest.ExitCode.NO_TESTS_COLLECTED else int(status))
