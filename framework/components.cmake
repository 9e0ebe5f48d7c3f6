# framework
