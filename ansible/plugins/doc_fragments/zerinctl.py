# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""What every module of the collection shares: the installation it runs the
tool from, and the hosts it runs on."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r"""
options:
  tool_folder:
    description: The installation folder that holds C(zerinctl) (C(zerinctl.exe) on Windows).
    type: str
    required: true
attributes:
  platform:
    platforms: [posix, windows]
"""
