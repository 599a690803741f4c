    { base_script = "prop_Counter" },
    { base_script = "bg_Sky" },
  },
}
