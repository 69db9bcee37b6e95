"""Prints the folder under an install prefix where this Python finds packages.

    python3 site_folder.py PREFIX

The site folder of the interpreter (or the user's own) that lies under the
prefix, the nearest one when there are several; else the folder that the
prefix's own Python would search: PREFIX/lib/pythonX.Y/site-packages.
"""
import os
import site
import sys

prefix = os.path.realpath(os.path.expanduser(sys.argv[1]))
found = []
for folder in site.getsitepackages() + [site.getusersitepackages()]:
    real = os.path.realpath(folder)
    if real.startswith(prefix + os.sep):
        found.append(os.path.relpath(real, prefix))
version = "python%d.%d" % sys.version_info[:2]
relative = min(found, key=len) if found else os.path.join("lib", version, "site-packages")
print(os.path.join(prefix, relative))
