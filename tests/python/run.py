"""Runs the Python module's tests (ctest's vdacheck_python): fails, naming what to install, when pytest, NumPy, Dask's
distributed, pandas or the module is missing, and when pytest collects no test."""

import pathlib
import sys

INSTALL = ("install python3-dev pybind11-dev python3-pytest python3-numpy python3-distributed python3-pandas "
           "(scripts/install-deps.sh or .ci/run does)")


def main() -> int:
    for name, package in [("pytest", "python3-pytest"), ("numpy", "python3-numpy"),
                          ("distributed", "python3-distributed"), ("pandas", "python3-pandas")]:
        try:
            __import__(name)
        except ImportError as e:
            sys.exit(f"vdacheck_python: {package} is missing ({e}): {INSTALL}")
    try:
        import vdacheck  # noqa: F401
    except ImportError as e:
        sys.exit(f"vdacheck_python: the module vdacheck cannot be imported ({e}): build it, or {INSTALL}")

    import pytest

    status = pytest.main([str(pathlib.Path(__file__).parent), "-q", "-p", "no:cacheprovider", *sys.argv[1:]])
    return 1 if status == pytest.ExitCode.NO_TESTS_COLLECTED else int(status)


# The test cluster's worker processes start by importing this file again (multiprocessing's spawn): only the
# process ctest started runs the tests.
if __name__ == "__main__":
    sys.exit(main())
