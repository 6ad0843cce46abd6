#!/usr/bin/env python3
# Placeholder until the image generator lands.
import os, sys
os.makedirs(sys.argv[1], exist_ok=True)
